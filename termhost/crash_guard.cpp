// Signal handlers that restore the terminal, say what crashed, and then hand
// the signal on: to the handler that was there before (a sanitizer's, which
// prints its report) or to the default action, so that the exit status
// still tells the signal.
#include "termhost/crash_guard.h"

#include <signal.h>
#include <unistd.h>

#include <array>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <vector>

namespace termhost::crash_guard {
namespace {

void (*restoreTerminal)() = nullptr;
volatile sig_atomic_t pluginDepth = 0;

struct Fatal {
    int signal;
    const char *what;
};
constexpr std::array<Fatal, 5> kFatal = {{
    {SIGSEGV, "invalid memory access"},
    {SIGBUS, "bus error"},
    {SIGILL, "illegal instruction"},
    {SIGFPE, "arithmetic fault"},
    {SIGABRT, "abort"},
}};
constexpr std::array<int, 4> kTermination = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

struct sigaction previous[NSIG];

void Say(const char *text) {
    const ssize_t ignored = ::write(STDERR_FILENO, text, std::strlen(text));
    (void)ignored;
}

void Restore() {
    if (restoreTerminal != nullptr) restoreTerminal();
}

// Puts the earlier handler back and lets it, or the default action, deal
// with the signal once this handler returns.
void HandOn(int signal, siginfo_t *info, void *context) {
    ::sigaction(signal, &previous[signal], nullptr);
    const struct sigaction &before = previous[signal];
    if ((before.sa_flags & SA_SIGINFO) != 0 && before.sa_sigaction != nullptr) {
        before.sa_sigaction(signal, info, context);
    } else if (before.sa_handler != SIG_DFL && before.sa_handler != SIG_IGN) {
        before.sa_handler(signal);
    } else {
        ::signal(signal, SIG_DFL);
        ::raise(signal);  // pending until this handler returns
    }
}

void OnFatal(int signal, siginfo_t *info, void *context) {
    Restore();
    Say(pluginDepth > 0 ? "\nquorvel-host: the plug-in crashed (" : "\nquorvel-host: crashed (");
    for (const Fatal &fatal : kFatal)
        if (fatal.signal == signal) Say(fatal.what);
    Say("). The terminal has been restored.\n");
    HandOn(signal, info, context);
}

void OnTermination(int signal, siginfo_t *info, void *context) {
    Restore();
    HandOn(signal, info, context);
}

// The handlers must run even when the crash is a stack overflow.
void EnsureSignalStack() {
    stack_t current{};
    if (::sigaltstack(nullptr, &current) == 0 && (current.ss_flags & SS_DISABLE) == 0) return;
    static std::vector<char> memory(1 << 16);
    stack_t stack{};
    stack.ss_sp = memory.data();
    stack.ss_size = memory.size();
    ::sigaltstack(&stack, nullptr);
}

void Handle(int signal, void (*handler)(int, siginfo_t *, void *)) {
    struct sigaction action {};
    action.sa_sigaction = handler;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK;
    sigemptyset(&action.sa_mask);
    ::sigaction(signal, &action, &previous[signal]);
}

}  // namespace

void Install(void (*restore)()) {
    restoreTerminal = restore;
    EnsureSignalStack();
    for (const Fatal &fatal : kFatal) Handle(fatal.signal, OnFatal);
    for (const int signal : kTermination) Handle(signal, OnTermination);
    std::atexit(Restore);
    std::set_terminate([] {
        Restore();
        Say("quorvel-host: stopped by an unexpected error");
        try {
            if (const std::exception_ptr error = std::current_exception())
                std::rethrow_exception(error);
        } catch (const std::exception &error) {
            Say(": ");
            Say(error.what());
        } catch (...) {
        }
        Say("\n");
        ::signal(SIGABRT, SIG_DFL);  // already reported
        std::abort();
    });
}

PluginCode::PluginCode() { pluginDepth = pluginDepth + 1; }
PluginCode::~PluginCode() { pluginDepth = pluginDepth - 1; }

HostCode::HostCode() : saved_(pluginDepth) { pluginDepth = 0; }
HostCode::~HostCode() { pluginDepth = saved_; }

}  // namespace termhost::crash_guard
