// Test support: the built plug-in library, copied into a fresh folder per
// test (so its history file starts absent), loaded by the stand-in host.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "hostsim/host.h"
#include "plugin/break_keys.h"
#include "support/temp_dir.h"

// Break-key indices, as the host reports them, from the plug-in's table.
constexpr int LetterKey(char upper) { return BreakKeyIndex(upper); }
inline constexpr int kKeypad5 = BreakKeyIndex(host::vk::kNumpad0 + 5),
                     kKeypadDivide = BreakKeyIndex(host::vk::kDivide),
                     kBackspace = BreakKeyIndex(host::vk::kBackspace),
                     kPeriod = BreakKeyIndex(host::vk::kPeriod),
                     kBackslashKey = BreakKeyIndex(host::vk::kBackslash),
                     kShiftMinus = BreakKeyIndex(host::kShiftFlag | host::vk::kMinus),
                     kF5 = BreakKeyIndex(host::vk::kF5), kDelete = BreakKeyIndex(host::vk::kDelete);

class PluginTest : public ::testing::Test {
protected:
    PluginTest();

    void Load();
    // The history file as entries, oldest first; empty when it is missing.
    [[nodiscard]] std::vector<std::string> History() const;
    [[nodiscard]] bool HistoryExists() const;
    void WriteHistory(const std::vector<std::string> &entries) const;
    void RemoveHistory() const;
    [[nodiscard]] const std::string &LibraryPath() const { return library_; }
    [[nodiscard]] std::string HistoryPath() const;
    // The folder's listing when no save is under way and nothing waits for
    // a holder: the history and the library (on Windows, and the lock file).
    [[nodiscard]] std::string AtRest() const;

    // A key that closes the menu, with the position highlighted then.
    static hostsim::MenuAnswer Key(int index, int highlighted = 0) { return {highlighted, index}; }
    static hostsim::MenuAnswer Choose(int item) { return {item, -1}; }

    [[nodiscard]] std::vector<hostsim::MenuCall> Menus() const {
        return host.CallsOf<hostsim::MenuCall>();
    }
    [[nodiscard]] std::vector<std::string> Texts(const hostsim::MenuCall &menu) const;
    [[nodiscard]] std::vector<hostsim::OpenEditorCall> Opened() const {
        return host.CallsOf<hostsim::OpenEditorCall>();
    }

    TempDir dir;  // first: outlives the loaded library
    hostsim::ScriptedFrontend ui;
    hostsim::Host host{ui};

private:
    std::string library_;
};
