// Test support: runs another program to its end.
#pragma once

#include <string>
#include <vector>

// Runs the program with the arguments (the first is its own path) and waits;
// its exit code, or -1 when it could not be started.
[[nodiscard]] int RunProgram(const std::vector<std::string> &arguments);
