// Folder listing and navigation.
#include "termhost/file_browser.h"

#include <algorithm>
#include <system_error>

#include "termhost/human_size.h"
#include "termhost/key_codes.h"
#include "termhost/text_width.h"
#include "termhost/theme.h"

namespace termhost {
namespace fs = std::filesystem;
namespace {

constexpr char kParent[] = "..";
constexpr int kSizeColumns = 12;

// The size column's text, right-aligned.
std::string SizeColumn(const std::string &size) {
    const std::size_t pad =
        kSizeColumns > static_cast<int>(size.size()) ? kSizeColumns - size.size() : 0;
    return std::string(pad, ' ') + size + " ";
}

// A file's size, or what it is when it has none worth showing: a pipe,
// for one, warns that it cannot be opened.
std::string SizeOf(const fs::directory_entry &entry) {
    std::error_code failure;
    const fs::file_status status = entry.status(failure);
    switch (status.type()) {
    case fs::file_type::directory: return "<folder>";
    case fs::file_type::fifo: return "<pipe>";
    case fs::file_type::socket: return "<socket>";
    case fs::file_type::block:
    case fs::file_type::character: return "<device>";
    case fs::file_type::not_found: return "<broken>";  // a link to nothing
    default: break;
    }
    const std::uintmax_t size = entry.file_size(failure);
    return failure ? std::string("?") : HumanSize(size);
}

}  // namespace

bool FileBrowser::Show(const fs::path &folder, std::string *error) {
    // Coming back up, the highlight goes to the folder just left.
    const std::string cameFrom =
        folder_.parent_path() == folder ? folder_.filename().string() : std::string();
    return List(folder, cameFrom, error);
}

std::string FileBrowser::Refresh() {
    const std::string highlight = view_.selected >= 0 && view_.selected < EntryCount()
                                      ? entries_[static_cast<std::size_t>(view_.selected)].name
                                      : std::string();
    const int top = view_.top;
    std::string why;
    for (fs::path folder = folder_;; folder = folder.parent_path()) {
        std::string error;
        if (List(folder, folder == folder_ ? highlight : std::string(), &error)) break;
        if (why.empty()) why = error;
        if (!folder.has_relative_path()) break;  // not even the root: keep the old list
    }
    if (why.empty()) view_ = FitView(Shape(), ListView{view_.selected, top});
    return why;
}

bool FileBrowser::List(const fs::path &folder, const std::string &highlight, std::string *error) {
    std::error_code failure;
    fs::directory_iterator it(folder, failure);
    std::vector<Entry> entries;
    for (; !failure && it != fs::directory_iterator(); it.increment(failure)) {
        Entry entry{it->path().filename().string(), false, {}};
        std::error_code ignored;
        entry.folder = it->is_directory(ignored);
        entry.size = SizeOf(*it);
        entries.push_back(std::move(entry));
    }
    if (failure) {
        if (error != nullptr) *error = folder.string() + ": " + failure.message();
        return false;
    }
    std::sort(entries.begin(), entries.end(), [](const Entry &a, const Entry &b) {
        return a.folder != b.folder ? a.folder : a.name < b.name;
    });
    if (folder.has_relative_path())
        entries.insert(entries.begin(), Entry{kParent, true, "<folder>"});

    int preferred = 0;
    for (std::size_t i = 0; i < entries.size(); ++i)
        if (entries[i].name == highlight) preferred = static_cast<int>(i);

    folder_ = folder;
    entries_ = std::move(entries);
    view_ = InitialView(Shape(), preferred);
    return true;
}

std::string FileBrowser::Summary() const {
    int folders = 0, files = 0;
    for (const Entry &entry : entries_) {
        if (entry.name == kParent) continue;
        ++(entry.folder ? folders : files);
    }
    const auto count = [](int n, const char *one, const char *many) {
        return std::to_string(n) + " " + (n == 1 ? one : many);
    };
    return count(folders, "folder", "folders") + ", " + count(files, "file", "files");
}

ListShape FileBrowser::Shape() const { return ListShape{EntryCount(), rows_, nullptr}; }

void FileBrowser::Draw(const Rect &area) {
    rows_ = std::max(1, area.height);
    view_ = FitView(Shape(), view_);
    const int nameWidth = std::max(1, area.width - kSizeColumns - 2);
    for (int row = 0; row < area.height; ++row) {
        const int i = view_.top + row;
        const int y = area.y + row;
        if (i >= EntryCount()) {
            PutText(y, area.x, "", area.width, A_NORMAL);
            continue;
        }
        const Entry &entry = entries_[static_cast<std::size_t>(i)];
        // A name cut to fit says so; a folder keeps its mark.
        const std::string mark = entry.folder ? "/" : "";
        const std::string name =
            ShortenRight(Printable(entry.name), nameWidth - DisplayWidth(mark)) + mark;
        const attr_t base = entry.folder ? FolderAttr() : A_NORMAL;
        const attr_t attr = i == view_.selected ? (base | A_REVERSE) : base;
        PutText(y, area.x, " " + name, nameWidth + 1, attr);
        PutText(y, area.x + nameWidth + 1, SizeColumn(entry.size), area.width - nameWidth - 1,
                attr);
    }
}

FileBrowser::Action FileBrowser::HandleKey(int keyCode) {
    if (const auto move = MoveForKey(keyCode)) {
        view_ = MoveHighlight(Shape(), view_, *move);
        return {};
    }
    if (keyCode == vk::kReturn || keyCode == vk::kRight) {
        if (view_.selected < 0 || view_.selected >= EntryCount()) return {};
        const Entry entry = entries_[static_cast<std::size_t>(view_.selected)];
        if (keyCode == vk::kRight && !entry.folder) return {};
        return Activate(entry);
    }
    if ((keyCode == vk::kBackspace || keyCode == vk::kLeft) && folder_.has_relative_path())
        return Activate(Entry{kParent, true, {}});
    return {};
}

FileBrowser::Action FileBrowser::Activate(const Entry &entry) {
    if (!entry.folder) return {Action::Kind::OpenFile, (folder_ / entry.name).string()};
    const fs::path target = entry.name == kParent ? folder_.parent_path() : folder_ / entry.name;
    std::string error;
    if (!Show(target, &error)) return {Action::Kind::Failed, error};
    return {};
}

}  // namespace termhost
