// An editor window's view of its file: the text with line numbers,
// scrolled by the user. The file is read once, when the window opens.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "draw.h"

namespace termhost {

class TextView {
public:
    explicit TextView(std::string path);

    [[nodiscard]] const std::string &Path() const { return path_; }
    // "lines 1-20 of 64", or why the file shows no text.
    [[nodiscard]] std::string Status() const;

    void Draw(const Rect &area);
    void HandleKey(int keyCode);

private:
    [[nodiscard]] int LineCount() const { return static_cast<int>(lineStarts_.size()); }
    [[nodiscard]] std::string_view Line(int i) const;

    std::string path_;
    std::string content_;
    std::vector<std::size_t> lineStarts_;
    std::string note_;  // set when the file could not be read whole
    int top_ = 0;
    int left_ = 0;  // columns scrolled off to the left
    int rows_ = 1;  // rows shown at the last draw
};

}  // namespace termhost
