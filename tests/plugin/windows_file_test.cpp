// The history as Windows keeps it: what the user set on the file survives
// every save, a library installed as deep as the system allows still saves
// its history, and names and links are read as the file calls read them.
#include <gmock/gmock.h>

#include <filesystem>
#include <iostream>
#include <optional>

#include "platform/wide_path.h"
#include "plugin/plugin_fixture.h"

#ifdef _WIN32
#include <windows.h>
// After windows.h, whose types it needs.
#include <aclapi.h>

namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;

// The history's access list: whether it is protected from the folder's, and
// its entries.
struct Access {
    bool isProtected = false;
    DWORD entries = 0;
};

std::optional<Access> AccessOf(const std::string &path) {
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (::GetNamedSecurityInfoA(path.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                                nullptr, &dacl, nullptr, &descriptor) != ERROR_SUCCESS)
        return std::nullopt;
    Access access;
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    ::GetSecurityDescriptorControl(descriptor, &control, &revision);
    access.isProtected = (control & SE_DACL_PROTECTED) != 0;
    access.entries = dacl ? dacl->AceCount : 0;
    ::LocalFree(descriptor);
    return access;
}

// A hidden history stays hidden, and one the user gave an access list of
// its own keeps it, however many saves replace the file.
TEST_F(PluginTest, WhatTheUserSetOnTheHistorySurvivesItsSaves) {
    WriteHistory({"C:\\old.txt"});
    ASSERT_TRUE(::SetFileAttributesA(HistoryPath().c_str(),
                                     FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));
    // Everyone may read it, and nothing is inherited from the folder.
    EXPLICIT_ACCESS_A grant{};
    ::BuildExplicitAccessWithNameA(&grant, const_cast<char *>("Everyone"), GENERIC_ALL, SET_ACCESS,
                                   NO_INHERITANCE);
    PACL dacl = nullptr;
    ASSERT_EQ(::SetEntriesInAclA(1, &grant, nullptr, &dacl), static_cast<DWORD>(ERROR_SUCCESS));
    const bool aclSet =
        ::SetNamedSecurityInfoA(const_cast<char *>(HistoryPath().c_str()), SE_FILE_OBJECT,
                                DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                                nullptr, nullptr, dacl, nullptr) == ERROR_SUCCESS;
    ::LocalFree(dacl);
    const std::optional<Access> before = AccessOf(HistoryPath());
    Load();
    for (int i = 0; i < 100; ++i) host.OpenEditorWindow("C:\\new" + std::to_string(i) + ".txt");
    EXPECT_EQ(History().size(), 101u);
    const DWORD attributes = ::GetFileAttributesA(HistoryPath().c_str());
    EXPECT_TRUE(attributes & FILE_ATTRIBUTE_HIDDEN) << std::hex << attributes;
    EXPECT_TRUE(attributes & FILE_ATTRIBUTE_ARCHIVE) << std::hex << attributes;
    if (!aclSet || !before || !before->isProtected) {
        std::cout << "skipped the access list: this system keeps none on the file\n";
        return;
    }
    const std::optional<Access> after = AccessOf(HistoryPath());
    ASSERT_TRUE(after.has_value());
    EXPECT_TRUE(after->isProtected);
    EXPECT_EQ(after->entries, before->entries);
}

// A library so deep that its history's path takes all the 259 bytes the
// system allows: no name longer than the history's fits beside it, and the
// history is still saved, trimmed and shown.
TEST_F(PluginTest, ALibraryInstalledAsDeepAsAllowedSavesItsHistory) {
    constexpr std::size_t kLongestPath = 259;
    const std::string name = "quorvel.ini";
    std::string folder = dir.Root().string();
    while (folder.size() + 1 + name.size() < kLongestPath) {
        const std::size_t room = kLongestPath - folder.size() - 1 - name.size();
        // Folders of at most 100 bytes, the last one filling what is left.
        const std::size_t length = room > 101 ? 100 : room - 1;
        folder.append(1, '\\').append(length, 'd');
        fs::create_directory(folder);
    }
    const std::string library = folder + "\\quorvel.dll";
    const std::string history = folder + "\\" + name;
    ASSERT_EQ(history.size(), kLongestPath);
    fs::copy_file(LibraryPath(), library);
    std::string error;
    ASSERT_TRUE(host.LoadPlugin(library, &error)) << error;
    for (const char *file : {"C:\\a.txt", "C:\\b.txt", "C:\\c.txt"}) host.OpenEditorWindow(file);
    EXPECT_EQ(ReadBytes(history), "C:\\a.txt\r\nC:\\b.txt\r\nC:\\c.txt\r\n");

    ui.menuAnswers = {Key(kDelete), hostsim::MenuAnswer{-1, -1}};
    ui.promptAnswers = {{true, "1"}};
    host.OpenPlugin();
    EXPECT_EQ(ReadBytes(history), "C:\\c.txt\r\n") << "the old tail must go";
    host.OpenPlugin();
    EXPECT_THAT(Texts(Menus().back()), ElementsAre("C:\\c.txt"));
    host.UnloadPlugin();
    // Nothing of the saves is left beside it.
    EXPECT_EQ(ListFolder(folder), "quorvel.dll\nquorvel.ini\n");
}

// In code page 932: katakana "download" (its ウ is 0x83 'E'), ア (0x83 'A'),
// the katakana after it but for the case of its second byte, 表 (0x95 '\').
const std::string kDownload = "\x83_\x83\x45\x83\x93\x83\x8D\x81[\x83h", kA = "\x83\x41",
                  kLowA = "\x83\x61", kHyo = "\x95\\";

// Also run on 932, in a test entry of its own; elsewhere nothing changed.
TEST_F(PluginTest, ASecondByteIsNoLetterNorSeparatorAndALongPathIsNoMissingFile) {
    const bool singleByte = ::GetACP() != 932;
    ASSERT_FALSE(singleByte && std::getenv("QUORVEL_JAPANESE")) << "code page " << ::GetACP();
    const std::string folder = dir.Root().string() + "\\" + kDownload,
                      deep = folder + "\\" + std::string(200, 'd') + "\\" + kDownload,
                      kept = deep + "\\kept", cut = "C:\\" + kA + std::string(122, 'x') + ".txt";
    // Past 259 bytes only the wide calls take a path (the clean-up's too); as OEM calls read it.
    std::wstring wide(kept.size(), L'\0');
    const int size = static_cast<int>(kept.size());
    wide.resize(::MultiByteToWideChar(CP_OEMCP, 0, kept.data(), size, wide.data(), size));
    wide.insert(0, L"\\\\?\\");
    for (auto at = wide.find(L'\\', 7); at != std::wstring::npos; at = wide.find(L'\\', at + 1))
        ::CreateDirectoryW(wide.substr(0, at).c_str(), nullptr);
    ::CloseHandle(::CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
    ::CreateDirectoryA(folder.c_str(), nullptr);
    EXPECT_TRUE(::CopyFileA(LibraryPath().c_str(), (folder + "\\quorvel.dll").c_str(), TRUE));
    // A host of ANSI names loads a plug-in from Łódź by its short name alone.
    const fs::path outside = dir.Root() / L"\u0141\u00f3d\u017a";
    wchar_t shortName[MAX_PATH];
    ASSERT_TRUE(fs::create_directory(outside) &&
                ::GetShortPathNameW(outside.c_str(), shortName, MAX_PATH));
    fs::copy_file(LibraryPath(), fs::path(shortName) / "quorvel.dll");
    using Names = std::vector<std::string>;
    const auto lines = [](const Names &names) {
        std::string bytes;
        for (const std::string &name : names) bytes += name + "\r\n";
        return bytes;
    };
    const struct {
        const char *fault;
        Names before, opened;
        std::vector<hostsim::MenuAnswer> keys;
        Names file, menu;          // the menu's items where they are not the file's entries
        std::string library = {};  // where not in folder
        bool oem = false;          // the file calls take OEM names
    } rows[] = {
        // clang-format off
        {"the history's path folds ウ into another folder: nothing read or saved",
         {"C:\\o"}, {"C:\\a", "C:\\b"}, {}, {"C:\\o", "C:\\a", "C:\\b"}, {}},
        {"the dedupe folds a second byte: two files taken for one", {}, {"C:\\" + kA, "C:\\" + kLowA},
         {}, singleByte ? Names{"C:\\" + kLowA} : Names{"C:\\" + kA, "C:\\" + kLowA}, {}},
        {"the filter finds a in ア", {"C:\\" + kA, "C:\\a"}, {}, {Key(LetterKey('A'))},
         {"C:\\" + kA, "C:\\a"}, singleByte ? Names{"C:\\" + kA, "C:\\a"} : Names{"C:\\a"}},
        {"the filter takes 表's second byte for a backslash", {"C:\\" + kHyo + "x\\a", "C:\\x\\a"}, {},
         {Key(kBackslashKey), Key(LetterKey('X'))}, {"C:\\" + kHyo + "x\\a", "C:\\x\\a"},
         singleByte ? Names{"C:\\" + kHyo + "x\\a", "C:\\x\\a"} : Names{"C:\\x\\a"}},
        {"an item cut to 127 bytes begins with a second byte", {cut}, {}, {}, {cut},
         {cut.substr(singleByte ? 4 : 5)}},
        {"F5 takes a file past 259 bytes for missing, or reads it as ANSI under OEM file calls",
         {deep + "\\gone", kept}, {}, {Key(kF5)}, {kept}, {kept.substr(kept.size() - 127)}, LibraryPath(), true},
        {"the history's path turns Ł into a look-alike: nothing read or saved", {"C:\\o"}, {"C:\\a"}, {},
         {"C:\\o", "C:\\a"}, {}, fs::path(shortName).string() + "\\quorvel.dll"},
        // clang-format on
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.fault);
        const std::string library = row.library.empty() ? folder + "\\quorvel.dll" : row.library;
        const std::string history = library.substr(0, library.size() - 3) + "ini";
        if (row.oem) ::SetFileApisToOEM();
        WriteBytes(history, lines(row.before));
        EXPECT_TRUE(host.LoadPlugin(library));
        for (const std::string &name : row.opened) host.OpenEditorWindow(name);
        ui.menuAnswers = row.keys;
        host.OpenPlugin();
        EXPECT_EQ(ReadBytes(history), lines(row.file));
        EXPECT_EQ(Texts(Menus().back()), row.menu.empty() ? row.file : row.menu);
        host.UnloadPlugin();
        ::SetFileApisToANSI();
    }
    ::DeleteFileW(wide.c_str());
    ::RemoveDirectoryW(wide.substr(0, wide.rfind(L'\\')).c_str());
}

// Wine shows no Windows link (history_link.sh): a link's data as the system keeps it (tag,
// length; names' offsets, lengths; flags), its print name "X:\p" first so that offsets matter.
TEST(LinkTarget, ALinkLeadsWhereItsSubstituteNameSaysFromItsFolder) {
    const struct {
        ULONG tag, flags;
        std::wstring substitute, target;
    } rows[] = {
        {IO_REPARSE_TAG_SYMLINK, 0, L"\\??\\UNC\\pc\\s\\q.ini", L"\\\\pc\\s\\q.ini"},
        {IO_REPARSE_TAG_SYMLINK, SYMLINK_FLAG_RELATIVE, L"..\\s\\q.ini", L"C:\\p\\..\\s\\q.ini"},
        {IO_REPARSE_TAG_MOUNT_POINT, 0, L"\\??\\D:\\s", L""}};
    for (const auto &row : rows) {
        const auto size = static_cast<wchar_t>(row.substitute.size() * 2);
        const wchar_t head[] = {
            LOWORD(row.tag), HIWORD(row.tag), 0, 0, 8, size, 0, 8, LOWORD(row.flags), 0};
        const std::wstring data = std::wstring(head, 10) + L"X:\\p" + row.substitute;
        EXPECT_EQ(platform::LinkTarget(L"C:\\p\\q.ini", data.data(), data.size() * 2), row.target);
    }
}

}  // namespace
#endif
