// The full-screen terminal session: starting and restoring ncurses, and
// reading key presses as TermKeys.
#pragma once

#include <cstdint>
#include <string>

#include "termhost/key_codes.h"

namespace termhost {

struct Input {
    bool resized = false;  // the terminal changed size: redraw, no key
    TermKey key;
    std::string text;  // the character's bytes when it can be typed into text
};

class Terminal {
public:
    Terminal();   // takes over the screen
    ~Terminal();  // gives it back
    Terminal(const Terminal &) = delete;
    Terminal &operator=(const Terminal &) = delete;

    [[nodiscard]] Input ReadKey();
    // How many inputs ReadKey has returned: whether a key came in between.
    [[nodiscard]] std::uint64_t InputsRead() const { return inputsRead_; }

private:
    [[nodiscard]] Input NextInput();

    bool pending_ = false;  // a key read ahead, to be returned next
    Input next_;
    std::uint64_t inputsRead_ = 0;
};

// Gives the terminal back to the shell if a session has it. Safe to call
// more than once, and from a signal handler when all else failed.
void RestoreTerminal();

}  // namespace termhost
