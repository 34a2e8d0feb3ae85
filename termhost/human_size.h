// File sizes as people read them.
#pragma once

#include <cstdint>
#include <string>

namespace termhost {

// "28 B" below 1 KiB, else one decimal in the largest binary unit that keeps
// the number below 1024: "1.5 KiB", "190.7 MiB".
[[nodiscard]] std::string HumanSize(std::uintmax_t bytes);

}  // namespace termhost
