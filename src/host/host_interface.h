// The binary interface between the host and the plug-in: the records they
// exchange, the services the host offers through the startup record, and the
// four functions the plug-in exports. The numbers they carry are named in
// host/codes.h and host/keys.h.
//
// On 32-bit Windows every record has the host's exact byte layout (checked
// below) and every function uses __stdcall. On 64-bit systems the pointer
// slots hold real pointers, so that native layout is this project's own.
#pragma once

#include <cstddef>
#include <cstdint>

#include "host/abi.h"

extern "C" {

struct MenuItemRecord {
    char Text[128];          // NUL-terminated item text
    std::int32_t Selected;   // 1 on the item to highlight
    std::int32_t Checked;    // always 0
    std::int32_t Separator;  // always 0
};

struct EditorInfoRecord {
    std::int32_t EditorId;
    const char *FileName;  // full name of the file in the current editor
    std::int32_t Reserved[23];
};

struct WindowInfoRecord {
    std::int32_t Pos;   // set by the caller: which window to describe
    std::int32_t Type;  // set by the host; host::kEditorWindow for an editor
    std::int32_t Reserved[18];
    char Name[260];  // NUL-terminated file name shown in the window
};

struct PluginInfoRecord {
    std::int32_t StructSize;
    std::int32_t Flags;
    std::int32_t Word8;
    std::int32_t Word12;
    std::int32_t Word16;
    const char *const *MenuStrings;  // the plug-in menu entries
    std::int32_t MenuStringsNumber;
    std::int32_t Word28;
    std::int32_t Word32;
    const void *Pointer36;
    std::int32_t Word40;
};

typedef int(QUORVEL_CALL *ShowMenuFn)(int pluginId, int x, int y, int maxHeight, unsigned flags,
                                      const char *title, const char *bottom, const char *helpTopic,
                                      const int *breakKeys, int *breakCode,
                                      const MenuItemRecord *items, int itemCount);
typedef int(QUORVEL_CALL *ShowMessageFn)(int pluginId, unsigned flags, const char *helpTopic,
                                         const char *const *lines, int lineCount, int buttonCount);
typedef const char *(QUORVEL_CALL *GetPluginTextFn)(int pluginId, int number);
typedef int(QUORVEL_CALL *OpenEditorFn)(const char *fileName, const char *title, int x1, int y1,
                                        int x2, int y2, unsigned flags, int startLine,
                                        int startColumn);
typedef int(QUORVEL_CALL *EditorCommandFn)(int command, void *data);
typedef std::intptr_t(QUORVEL_CALL *HostCommandFn)(int pluginId, int command, void *param);
typedef int(QUORVEL_CALL *PromptInputFn)(const char *title, const char *prompt,
                                         const char *historyName, const char *initialText,
                                         char *dest, int destSize, const char *helpTopic,
                                         unsigned flags);

struct StartupRecord {
    std::int32_t StructSize;
    char ModulePath[260];   // full path of the plug-in library
    std::int32_t PluginId;  // the host's number for this plug-in
    void *Reserved268;
    ShowMenuFn ShowMenu;
    void *Reserved276;
    ShowMessageFn ShowMessage;
    GetPluginTextFn GetPluginText;
    void *Reserved288[7];
    OpenEditorFn OpenEditor;
    void *Reserved320[3];
    EditorCommandFn EditorCommand;
    void *Reserved336[2];
    HostCommandFn HostCommand;
    PromptInputFn PromptInput;
    void *Reserved352[5];
};

// The plug-in's exports, as the host finds them by name.
typedef void(QUORVEL_CALL *SetStartupInfoFn)(const StartupRecord *info);
typedef void(QUORVEL_CALL *GetPluginInfoFn)(PluginInfoRecord *info);
typedef void *(QUORVEL_CALL *OpenPluginFn)(int openFrom, std::intptr_t item);
typedef int(QUORVEL_CALL *ProcessEditorEventFn)(int event, void *param);

}  // extern "C"

namespace host {

// PluginInfoRecord's 32-bit words in the host's layout.
inline constexpr int kPluginInfoWords = 11;

}  // namespace host

#if defined(_WIN32) && !defined(_WIN64)
static_assert(sizeof(void *) == 4);
static_assert(sizeof(MenuItemRecord) == 140);
static_assert(offsetof(MenuItemRecord, Selected) == 128);
static_assert(offsetof(MenuItemRecord, Separator) == 136);
static_assert(sizeof(EditorInfoRecord) == 100);
static_assert(offsetof(EditorInfoRecord, FileName) == 4);
static_assert(sizeof(WindowInfoRecord) == 340);
static_assert(offsetof(WindowInfoRecord, Type) == 4);
static_assert(offsetof(WindowInfoRecord, Name) == 80);
static_assert(sizeof(PluginInfoRecord) == 4 * host::kPluginInfoWords);
static_assert(offsetof(PluginInfoRecord, Word16) == 16);
static_assert(offsetof(PluginInfoRecord, MenuStrings) == 20);
static_assert(offsetof(PluginInfoRecord, MenuStringsNumber) == 24);
static_assert(offsetof(PluginInfoRecord, Word32) == 32);
static_assert(offsetof(PluginInfoRecord, Pointer36) == 36);
static_assert(sizeof(StartupRecord) == 372);
static_assert(offsetof(StartupRecord, ModulePath) == 4);
static_assert(offsetof(StartupRecord, PluginId) == 264);
static_assert(offsetof(StartupRecord, ShowMenu) == 272);
static_assert(offsetof(StartupRecord, ShowMessage) == 280);
static_assert(offsetof(StartupRecord, GetPluginText) == 284);
static_assert(offsetof(StartupRecord, OpenEditor) == 316);
static_assert(offsetof(StartupRecord, EditorCommand) == 332);
static_assert(offsetof(StartupRecord, HostCommand) == 344);
static_assert(offsetof(StartupRecord, PromptInput) == 348);
#endif
