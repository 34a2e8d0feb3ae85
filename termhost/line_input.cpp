// One-line editing over multibyte text, where a character's bytes are never
// split by the limit or by the cursor.
#include "termhost/line_input.h"

#include "termhost/text_width.h"

namespace termhost {

LineInput::LineInput(std::string_view initial, std::size_t limitBytes) : limit_(limitBytes) {
    std::size_t end = 0;
    while (end < initial.size()) {
        const std::size_t n = CharBytes(initial, end);
        if (end + n > limit_) break;
        end += n;
    }
    text_ = initial.substr(0, end);
    cursor_ = text_.size();
    selected_ = !text_.empty();
}

bool LineInput::Type(std::string_view character) {
    const std::size_t kept = selected_ ? 0 : text_.size();
    if (character.empty() || kept + character.size() > limit_) return false;
    EraseSelection();
    text_.insert(cursor_, character);
    cursor_ += character.size();
    return true;
}

void LineInput::EraseBack() {
    if (EraseSelection() || cursor_ == 0) return;
    const std::size_t start = PreviousChar();
    text_.erase(start, cursor_ - start);
    cursor_ = start;
}

void LineInput::EraseForward() {
    if (EraseSelection() || cursor_ >= text_.size()) return;
    text_.erase(cursor_, CharBytes(text_, cursor_));
}

void LineInput::Left() {
    selected_ = false;
    if (cursor_ > 0) cursor_ = PreviousChar();
}

void LineInput::Right() {
    selected_ = false;
    cursor_ += CharBytes(text_, cursor_);
}

void LineInput::Home() {
    selected_ = false;
    cursor_ = 0;
}

void LineInput::End() {
    selected_ = false;
    cursor_ = text_.size();
}

bool LineInput::EraseSelection() {
    if (!selected_) return false;
    selected_ = false;
    text_.clear();
    cursor_ = 0;
    return true;
}

std::size_t LineInput::PreviousChar() const {
    // Steps forward from the start: the only sure way back over multibyte text.
    std::size_t pos = 0, previous = 0;
    while (pos < cursor_) {
        previous = pos;
        pos += CharBytes(text_, pos);
    }
    return previous;
}

}  // namespace termhost
