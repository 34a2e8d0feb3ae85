// Texts made fit for a terminal cell grid: characters the current locale
// cannot show become '?', and widths are counted in columns.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace termhost {

// The text with every character that is invalid in the locale or is a
// control character replaced by '?'; tabs become blanks up to the next
// multiple of `tabSize` columns (one blank when tabSize is 0 or less).
[[nodiscard]] std::string Printable(std::string_view text, int tabSize = 0);

// Columns a text takes; Printable does not change them.
[[nodiscard]] int DisplayWidth(std::string_view printable);

// Bytes of the longest start of a printable text that fits in `columns`.
[[nodiscard]] std::size_t FitBytes(std::string_view printable, int columns);

// The text cut to `columns` from the left, behind an ellipsis, so that its
// end (a path's file name) stays visible; as it is when it fits.
[[nodiscard]] std::string ShortenLeft(std::string_view printable, int columns);

// The text cut to `columns` on the right, ending in an ellipsis; as it is
// when it fits.
[[nodiscard]] std::string ShortenRight(std::string_view printable, int columns);

// Whether the locale's texts are UTF-8, so that marks beyond ASCII show.
[[nodiscard]] bool Utf8Locale();

// "…" where the locale takes UTF-8, else "...".
[[nodiscard]] std::string_view Ellipsis();

// Bytes of the character that starts at `pos` (1 for an invalid byte).
[[nodiscard]] std::size_t CharBytes(std::string_view text, std::size_t pos);

}  // namespace termhost
