// Recording into a sample history, for the benchmarks.
#include "recording.h"

#include <fstream>
#include <string>

#include "history/history.h"
#include "history/history_store.h"
#include "sample_history.h"

namespace {
std::size_t turn = 0;
}  // namespace

bool StartRecording(std::int32_t entries) {
    const std::string name = "recording-" + std::to_string(entries);
    (void)CopyOfSample(entries, name + ".ini");
    // A file where the library is: the history's lock on Windows.
    const std::string library = ScratchFile(name + ".so");
    std::ofstream(library, std::ios::binary | std::ios::app).close();
    SetHistoryPath(library.c_str());
    platform::FileLook look;
    if (LoadHistory(look) != LoadResult::Loaded) return false;
    for (const char *recorded : kRecorded) RecordEditedFile(recorded);
    turn = 0;
    return true;
}

void RecordNext() {
    RecordEditedFile(kRecorded[turn]);
    turn ^= 1;
}

bool EndRecording(std::int32_t entries) {
    CursorList saved;
    const bool complete = saved.LoadFromFile(HistoryPath.buf) && saved.count == entries + 2 &&
                          HistoryList.count == entries + 2;
    HistoryList.Clear();
    return complete;
}
