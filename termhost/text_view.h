// An editor window's view of its file: the text with line numbers,
// scrolled by the user. The file is read once, when the window opens.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "termhost/draw.h"

namespace termhost {

// A file's text as an editor opens it.
struct EditorText {
    std::string content;
    std::string note;  // "new file", or why not all of it is shown
};

// Reads the file for an editor, without ever blocking; false with the
// reason when no editor can open it (not a regular file, unreadable). A
// missing file opens as a new, empty one.
[[nodiscard]] bool ReadForEditor(const std::string &path, EditorText &text, std::string &problem);
// Why an editor would refuse the file, as ReadForEditor says it, without
// reading it; empty when it would open it.
[[nodiscard]] std::string EditorRefusal(const std::string &path);

class TextView {
public:
    TextView(std::string path, EditorText text);

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
    std::string note_;
    int top_ = 0;
    int left_ = 0;  // columns scrolled off to the left
    int rows_ = 1;  // rows shown at the last draw
};

}  // namespace termhost
