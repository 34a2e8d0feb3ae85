// The editor-opened event: the file the editor has just opened is recorded.
#include "history/history_store.h"
#include "host/codes.h"
#include "plugin/export.h"
#include "plugin/startup.h"

QUORVEL_EXPORT int QUORVEL_CALL ProcessEditorEvent(int event, void * /*param*/) {
    if (event != host::kEditorEventOpened) return 0;
    RunExport([] {
        // Cleared first: a host that fills nothing reports no name.
        EditorInfoRecord info{};
        Host.GetEditorInfo(info);
        RecordEditedFile(info.FileName);
    });
    return 0;
}
