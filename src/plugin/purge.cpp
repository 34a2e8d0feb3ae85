// Purging the history of files that no longer exist.
#include "plugin/purge.h"

#include "history/history.h"
#include "platform/platform.h"
#include "plugin/recording.h"

void PurgeMissing() {
    for (std::int32_t i = 0; i < HistoryList.count;) {
        DynString &entry = HistoryList.Seek(i).current->text;
        entry.Reserve(0);
        if (platform::FileAttributesQueryable(entry.buf))
            ++i;
        else
            HistoryList.RemoveCurrent();  // its follower moves up to i
    }
    SaveHistoryChanges();
}
