// The text of a one-line input box: editing within a byte limit, whole
// characters only.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace termhost {

class LineInput {
public:
    // The initial text starts selected, cut to the limit at a character
    // boundary: the first character typed replaces it.
    LineInput(std::string_view initial, std::size_t limitBytes);

    // Inserts one character (its bytes) at the cursor; false, changing
    // nothing, when it would not fit within the limit.
    bool Type(std::string_view character);
    void EraseBack();     // Backspace
    void EraseForward();  // Delete
    void Left();
    void Right();
    void Home();
    void End();

    [[nodiscard]] const std::string &Text() const { return text_; }
    [[nodiscard]] std::size_t Cursor() const { return cursor_; }  // a byte offset
    [[nodiscard]] bool Selected() const { return selected_; }

private:
    // Erasing while the text is selected erases all of it.
    bool EraseSelection();
    [[nodiscard]] std::size_t PreviousChar() const;

    std::string text_;
    std::size_t cursor_ = 0;
    std::size_t limit_ = 0;
    bool selected_ = false;
};

}  // namespace termhost
