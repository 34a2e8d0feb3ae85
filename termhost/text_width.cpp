// Character-by-character walks through multibyte text, in the locale the
// terminal runs with.
#include "termhost/text_width.h"

#include <langinfo.h>

#include <cstring>
#include <cwchar>
#include <cwctype>

namespace termhost {
namespace {

// One character: its bytes, and its columns (-1 when it cannot be shown).
struct Char {
    std::size_t bytes = 1;
    int width = -1;
    wchar_t wide = 0;
};

Char Decode(std::string_view text, std::size_t pos) {
    // ASCII is itself in every locale, and most paths are ASCII alone.
    const auto byte = static_cast<unsigned char>(text[pos]);
    if (byte < 0x80)
        return Char{1, byte >= ' ' && byte != 0x7f ? 1 : -1, static_cast<wchar_t>(byte)};
    std::mbstate_t state{};
    wchar_t wide = 0;
    const std::size_t n = std::mbrtowc(&wide, text.data() + pos, text.size() - pos, &state);
    if (n == 0) return Char{1, -1, 0};  // an embedded NUL
    if (n == static_cast<std::size_t>(-1) || n == static_cast<std::size_t>(-2))
        return Char{1, -1, 0};
    const int width = std::iswprint(static_cast<wint_t>(wide)) ? ::wcwidth(wide) : -1;
    return Char{n, width, wide};
}

}  // namespace

std::string Printable(std::string_view text, int tabSize) {
    std::string out;
    out.reserve(text.size());
    int column = 0;
    for (std::size_t pos = 0; pos < text.size();) {
        const Char c = Decode(text, pos);
        if (c.wide == L'\t') {
            const int blanks = tabSize > 0 ? tabSize - column % tabSize : 1;
            out.append(static_cast<std::size_t>(blanks), ' ');
            column += blanks;
        } else if (c.width < 0) {
            out += '?';
            ++column;
        } else {
            out.append(text.substr(pos, c.bytes));
            column += c.width;
        }
        pos += c.bytes;
    }
    return out;
}

int DisplayWidth(std::string_view printable) {
    int width = 0;
    for (std::size_t pos = 0; pos < printable.size();) {
        const Char c = Decode(printable, pos);
        width += c.width < 0 ? 1 : c.width;
        pos += c.bytes;
    }
    return width;
}

std::size_t FitBytes(std::string_view printable, int columns) {
    int width = 0;
    std::size_t pos = 0;
    while (pos < printable.size()) {
        const Char c = Decode(printable, pos);
        const int w = c.width < 0 ? 1 : c.width;
        if (width + w > columns) break;
        width += w;
        pos += c.bytes;
    }
    return pos;
}

std::string ShortenLeft(std::string_view printable, int columns) {
    int width = DisplayWidth(printable);
    if (width <= columns) return std::string(printable);
    const std::string_view ellipsis = Ellipsis();
    const int ellipsisWidth = DisplayWidth(ellipsis);
    // Too narrow for the ellipsis and a character: the end alone.
    const int room = columns > ellipsisWidth ? columns - ellipsisWidth : columns;
    std::size_t pos = 0;
    while (pos < printable.size() && width > room) {
        const Char c = Decode(printable, pos);
        width -= c.width < 0 ? 1 : c.width;
        pos += c.bytes;
    }
    std::string shortened(room < columns ? ellipsis : std::string_view());
    shortened += printable.substr(pos);
    return shortened;
}

std::string ShortenRight(std::string_view printable, int columns) {
    if (DisplayWidth(printable) <= columns) return std::string(printable);
    const std::string_view ellipsis = Ellipsis();
    const int room = columns - DisplayWidth(ellipsis);
    // Too narrow for the mark and a character: the start alone.
    if (room <= 0) return std::string(printable.substr(0, FitBytes(printable, columns)));
    std::string shortened(printable.substr(0, FitBytes(printable, room)));
    shortened += ellipsis;
    return shortened;
}

bool Utf8Locale() { return std::strcmp(nl_langinfo(CODESET), "UTF-8") == 0; }

std::string_view Ellipsis() { return Utf8Locale() ? "\xE2\x80\xA6" : "..."; }

std::size_t CharBytes(std::string_view text, std::size_t pos) {
    return pos < text.size() ? Decode(text, pos).bytes : 0;
}

}  // namespace termhost
