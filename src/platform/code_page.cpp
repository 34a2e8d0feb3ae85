// The lead bytes of the code page of file names.
#include "platform/code_page.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace platform {

LeadBytes CodePageLeadBytes() noexcept {
    LeadBytes leads;
#ifdef _WIN32
    // Ranges as pairs of first and last, up to a pair of zeros.
    CPINFO info{};
    if (::GetCPInfo(FileNameCodePage(), &info))
        for (int i = 0; i + 1 < MAX_LEADBYTES && info.LeadByte[i] != 0; i += 2)
            leads.Add(info.LeadByte[i], info.LeadByte[i + 1]);
#endif
    return leads;
}

#ifdef _WIN32
unsigned FileNameCodePage() noexcept { return ::AreFileApisANSI() ? CP_ACP : CP_OEMCP; }
#endif

}  // namespace platform
