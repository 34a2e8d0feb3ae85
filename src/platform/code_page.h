// The code page the system hands file names in.
#pragma once

#include "text/lead_bytes.h"

namespace platform {

// Its lead bytes: on Windows those of FileNameCodePage, which are double-
// byte on Japanese, Chinese and Korean systems. Elsewhere names are UTF-8,
// where no byte of a longer character is ASCII, so none is needed.
[[nodiscard]] LeadBytes CodePageLeadBytes() noexcept;

#ifdef _WIN32
// The code page the ANSI file calls take names in: the ANSI one, or the OEM
// one where the host has set them so (SetFileApisToOEM). Every conversion
// of a name takes it, so that a name means the file those calls open.
[[nodiscard]] unsigned FileNameCodePage() noexcept;
#endif

}  // namespace platform
