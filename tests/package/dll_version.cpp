// Reads a DLL's version resource as Windows' file properties do and checks
// it: dll_version PATH VERSION. Exits 0 when the fixed numbers and the
// version texts are VERSION (missing numbers count as 0) and the texts a
// user reads there are present.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

// A value of the resource, as text; "" when it is missing.
std::string Text(std::vector<char> &info, const std::string &key) {
    char *value = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(info.data(), key.c_str(), reinterpret_cast<void **>(&value), &length))
        return "";
    return std::string(value, strnlen(value, length));
}

}  // namespace

int main(int argc, char **argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: dll_version PATH VERSION\n");
        return 2;
    }
    const char *path = argv[1];
    const std::string version = argv[2];

    DWORD unused = 0;
    const DWORD size = GetFileVersionInfoSizeA(path, &unused);
    std::vector<char> info(size);
    if (size == 0 || !GetFileVersionInfoA(path, 0, size, info.data())) {
        std::fprintf(stderr, "%s: no version resource (error %lu)\n", path, GetLastError());
        return 1;
    }

    VS_FIXEDFILEINFO *fixed = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(info.data(), "\\", reinterpret_cast<void **>(&fixed), &length) ||
        length < sizeof *fixed || fixed->dwSignature != VS_FFI_SIGNATURE) {
        std::fprintf(stderr, "%s: no fixed version numbers\n", path);
        return 1;
    }
    unsigned want[4] = {};
    std::sscanf(version.c_str(), "%u.%u.%u.%u", &want[0], &want[1], &want[2], &want[3]);
    const DWORD high = want[0] << 16 | want[1], low = want[2] << 16 | want[3];
    bool good = fixed->dwFileVersionMS == high && fixed->dwFileVersionLS == low &&
                fixed->dwProductVersionMS == high && fixed->dwProductVersionLS == low;
    std::printf("FILEVERSION %u.%u.%u.%u\n", unsigned{HIWORD(fixed->dwFileVersionMS)},
                unsigned{LOWORD(fixed->dwFileVersionMS)}, unsigned{HIWORD(fixed->dwFileVersionLS)},
                unsigned{LOWORD(fixed->dwFileVersionLS)});

    // The texts live under the language and code page that Translation names.
    WORD *translation = nullptr;
    if (!VerQueryValueA(info.data(), "\\VarFileInfo\\Translation",
                        reinterpret_cast<void **>(&translation), &length) ||
        length < 2 * sizeof(WORD)) {
        std::fprintf(stderr, "%s: no Translation\n", path);
        return 1;
    }
    char table[64];
    std::snprintf(table, sizeof table, "\\StringFileInfo\\%04x%04x\\", translation[0],
                  translation[1]);
    for (const char *name :
         {"ProductName", "FileDescription", "FileVersion", "ProductVersion", "LegalCopyright"}) {
        const std::string text = Text(info, table + std::string(name));
        std::printf("%s: %s\n", name, text.c_str());
        const bool isVersion = std::strstr(name, "Version") != nullptr;
        if (text.empty() || (isVersion && text != version)) good = false;
    }
    return good ? 0 : 1;
}
