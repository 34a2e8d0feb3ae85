// The code page the system hands file names in.
#pragma once

#include "text/lead_bytes.h"

namespace platform {

// Its lead bytes: on Windows those of the ANSI code page, which are double-
// byte on Japanese, Chinese and Korean systems. Elsewhere names are UTF-8,
// where no byte of a longer character is ASCII, so none is needed.
[[nodiscard]] LeadBytes CodePageLeadBytes() noexcept;

}  // namespace platform
