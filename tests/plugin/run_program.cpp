// Test support: starting, waiting for and killing programs, on either system.
#include "plugin/run_program.h"

#include <string>
#include <utility>

#ifdef _WIN32
#include <windows.h>
#else
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
extern char **environ;
#endif

#ifdef _WIN32
namespace {

// One argument as the C runtime splits a command line: in quotes, with the
// backslashes before a quote doubled and the quote escaped.
std::string Quoted(const std::string &argument) {
    std::string quoted = "\"";
    std::size_t backslashes = 0;
    for (const char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
        quoted += c;
        backslashes = 0;
    }
    quoted.append(2 * backslashes, '\\');
    return quoted + "\"";
}

}  // namespace
#endif

Program::Program(const std::vector<std::string> &arguments) {
#ifdef _WIN32
    std::string commandLine;
    for (const std::string &argument : arguments) commandLine += Quoted(argument) + " ";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(arguments[0].c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                        nullptr, nullptr, &startup, &process))
        return;
    CloseHandle(process.hThread);
    process_ = reinterpret_cast<std::intptr_t>(process.hProcess);
#else
    std::vector<char *> argv;
    for (const std::string &argument : arguments)
        argv.push_back(const_cast<char *>(argument.c_str()));
    argv.push_back(nullptr);
    pid_t child = 0;
    if (posix_spawn(&child, argv[0], nullptr, nullptr, argv.data(), environ) == 0) process_ = child;
#endif
}

Program::Program(Program &&other) noexcept
    : process_(std::exchange(other.process_, -1)), ended_(other.ended_) {}

Program::~Program() {
    if (process_ == -1) return;
    Kill();
}

int Program::Wait() {
    if (process_ == -1) return -1;
#ifdef _WIN32
    const HANDLE process = reinterpret_cast<HANDLE>(std::exchange(process_, -1));
    WaitForSingleObject(process, INFINITE);
    DWORD code = 0;
    const bool ended = GetExitCodeProcess(process, &code);
    CloseHandle(process);
    return ended ? static_cast<int>(code) : -1;
#else
    const auto child = static_cast<pid_t>(std::exchange(process_, -1));
    if (ended_ != -2) return ended_;
    int status = 0;
    if (waitpid(child, &status, 0) != child) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
#endif
}

#ifdef _WIN32
// A program stops itself by setting its "stopped" event and waiting for its
// "go" one, each named after its process number (StopEventName).
bool Program::WaitUntilStopped() {
    if (process_ == -1) return false;
    const HANDLE process = reinterpret_cast<HANDLE>(process_);
    const HANDLE stopped =
        CreateEventA(nullptr, TRUE, FALSE, StopEventName("stopped", GetProcessId(process)).c_str());
    const HANDLE either[] = {stopped, process};
    const DWORD woken = WaitForMultipleObjects(2, either, FALSE, INFINITE);
    CloseHandle(stopped);
    return woken == WAIT_OBJECT_0;
}

void Program::Resume() {
    if (process_ == -1) return;
    const HANDLE go =
        CreateEventA(nullptr, TRUE, FALSE,
                     StopEventName("go", GetProcessId(reinterpret_cast<HANDLE>(process_))).c_str());
    SetEvent(go);
    CloseHandle(go);
}
#else
bool Program::WaitUntilStopped() {
    if (process_ == -1 || ended_ != -2) return false;
    int status = 0;
    if (waitpid(static_cast<pid_t>(process_), &status, WUNTRACED) != process_) return false;
    if (WIFSTOPPED(status)) return true;
    ended_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return false;
}

void Program::Resume() {
    if (process_ != -1) kill(static_cast<pid_t>(process_), SIGCONT);
}
#endif

void Program::Kill() {
    if (process_ == -1) return;
#ifdef _WIN32
    TerminateProcess(reinterpret_cast<HANDLE>(process_), 1);
#else
    if (ended_ == -2) kill(static_cast<pid_t>(process_), SIGKILL);
#endif
    (void)Wait();
}

int RunProgram(const std::vector<std::string> &arguments) { return Program(arguments).Wait(); }

std::string StopEventName(const char *which, unsigned long process) {
    return std::string("Local\\quorvel-") + which + "-" + std::to_string(process);
}
