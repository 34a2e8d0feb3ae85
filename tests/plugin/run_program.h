// Test support: running other programs, to their end or until killed.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A program started with the arguments (the first is its own path).
class Program {
public:
    explicit Program(const std::vector<std::string> &arguments);
    Program(const Program &) = delete;
    Program &operator=(const Program &) = delete;
    Program(Program &&other) noexcept;
    ~Program();  // kills it if still running

    // Waits for its end: its exit code, -1 when it did not start, or 128 and
    // the signal's number when a signal ended it.
    int Wait();
    // Ends it at once, as a crash would.
    void Kill();
    // Waits until it stops itself (SIGSTOP; on Windows its "stopped" event),
    // or ends; true if stopped.
    bool WaitUntilStopped();
    // Lets a stopped program go on.
    void Resume();

private:
    std::intptr_t process_ = -1;
    int ended_ = -2;  // its exit code, when it ended while a stop was awaited
};

// Runs the program to its end; its exit code, or -1.
[[nodiscard]] int RunProgram(const std::vector<std::string> &arguments);

// Windows: the name of a stopping program's event: "stopped" or "go".
[[nodiscard]] std::string StopEventName(const char *which, unsigned long process);
