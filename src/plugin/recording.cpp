// Recording edited files: the editor-opened event, the newest entry per file,
// and the names recorded since the last successful save.
#include "plugin/recording.h"

#include <cstring>

#include "history/history.h"
#include "plugin/export.h"
#include "plugin/file_names.h"
#include "plugin/startup.h"

namespace {

// Names this copy recorded since its last successful save, oldest first.
// A save can fail while another copy reads the file; these must then
// survive the next reload, which would otherwise drop them.
CursorList UnsavedRecordings;

bool FitsOneLine(const char *name) {
    return name && *name && !std::strpbrk(name, "\r\n");
}

// Removes every entry but the last that is the same file as the last.
void RemoveOlderEntries(CursorList &list) noexcept {
    const DynString &newest = list.last->text;
    for (std::int32_t i = 0; i < list.count - 1;) {
        if (SameFile(list.Seek(i).current->text, newest))
            list.RemoveCurrent();
        else
            ++i;
    }
}

// Appends first and removes after: the append is the only step that can
// run out of memory, and it leaves the list as it was.
void Record(CursorList &list, const DynString &name) {
    list.Append(name);
    RemoveOlderEntries(list);
}

}  // namespace

void ReloadKeepingUnsaved() {
    if (!ReloadIfChanged()) return;
    for (const ListNode *node = UnsavedRecordings.first; node; node = node->next)
        Record(HistoryList, node->text);
}

void SaveHistoryChanges() {
    if (SaveHistory()) UnsavedRecordings.Clear();
}

void RecordEditedFile(const char *name) {
    if (!FitsOneLine(name)) return;
    ReloadKeepingUnsaved();
    const DynString stored = StoredName(name);
    HistoryList.Append(stored);
    try {
        UnsavedRecordings.Append(stored);
    } catch (...) {
        HistoryList.Seek(-1).RemoveCurrent();
        throw;
    }
    RemoveOlderEntries(HistoryList);
    RemoveOlderEntries(UnsavedRecordings);
    SaveHistoryChanges();
}

QUORVEL_EXPORT int QUORVEL_CALL ProcessEditorEvent(int event, void * /*param*/) {
    if (event != host::kEditorEventOpened || !HostServicesKnown()) return 0;
    RunExport([] {
        // Cleared first: a host that fills nothing reports no name.
        EditorInfoRecord info{};
        StartupCopy.EditorCommand(host::kEditorCommandGetInfo, &info);
        RecordEditedFile(info.FileName);
    });
    return 0;
}
