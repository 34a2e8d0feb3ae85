// Trimming the history: the prompt, reading its answer, dropping the oldest.
#include "plugin/trimming.h"

#include <cstdint>

#include "history/history_store.h"
#include "plugin/keep_count.h"
#include "plugin/startup.h"
#include "text/bounded_length.h"

namespace {

// Room for any number of entries the history can hold, and more.
constexpr int kAnswerSize = 32;

}  // namespace

void TrimHistory() {
    char answer[kAnswerSize] = {};
    if (!Host.PromptInput({.title = "Clear history",
                           .prompt = "Input number of items to keep",
                           .initialText = "100",
                           .answer = answer,
                           .answerSize = kAnswerSize}))
        return;
    std::int32_t keep = 0;
    if (!ReadKeepCount(answer, BoundedLength(answer), keep)) return;
    // Applied to the history as the file holds it now, so that what another
    // copy recorded while the menu was open is not erased.
    KeepNewest(keep);
}
