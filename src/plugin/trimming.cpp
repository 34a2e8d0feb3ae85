// Trimming the history: the prompt, reading its answer, dropping the oldest.
#include "plugin/trimming.h"

#include <cstdint>

#include "history/history_store.h"
#include "plugin/bounded_text.h"
#include "plugin/keep_count.h"
#include "plugin/startup.h"

namespace {

constexpr int kAnswerSize = 32;

}  // namespace

void TrimHistory() {
    char answer[kAnswerSize] = {};
    if (!StartupCopy.PromptInput("Clear history", "Input number of items to keep", nullptr, "100",
                                 answer, kAnswerSize, nullptr, 0))
        return;
    std::int32_t keep = 0;
    if (!ReadKeepCount(answer, BoundedLength(answer, sizeof answer), keep)) return;
    // Applied to the history as the file holds it now, so that what another
    // copy recorded while the menu was open is not erased.
    KeepNewest(keep);
}
