// The test front end: answers from queues, and cancels when they run dry.
#include "hostsim/host.h"

namespace hostsim {
namespace {

template <class Answer>
Answer TakeFront(std::vector<Answer> &queue, Answer whenEmpty) {
    if (queue.empty()) return whenEmpty;
    Answer answer = std::move(queue.front());
    queue.erase(queue.begin());
    return answer;
}

}  // namespace

MenuAnswer ScriptedFrontend::ShowMenu(const MenuCall &call) {
    if (whileMenuShown) whileMenuShown(call);
    return TakeFront(menuAnswers, MenuAnswer{});
}

int ScriptedFrontend::ShowMessage(const MessageCall &) { return messageAnswer; }

PromptAnswer ScriptedFrontend::PromptInput(const PromptCall &) {
    return TakeFront(promptAnswers, PromptAnswer{false, {}});
}

}  // namespace hostsim
