// Why a file cannot be read, in a few words, for the messages that refuse it.
#pragma once

#include <string>

namespace termhost {

// What the path holds when it is not a file ("a folder, not a file", "a
// named pipe (FIFO), not a file"), else the system's reason, else that it
// could not be read to its end.
[[nodiscard]] std::string ReadProblem(const std::string &path);

}  // namespace termhost
