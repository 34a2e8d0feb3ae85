// Typing into the history menu at random, through the real library: every
// display shows exactly what the plain rule gives by rebuilding from the
// whole history (fold a copy of each entry, find the filter in it), and the
// chosen item opens the entry the rule puts there.
#include <gmock/gmock.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "plugin/plugin_fixture.h"

namespace {

// A fixed generator, so that a failure repeats with its seed.
class Dice {
public:
    explicit Dice(std::uint32_t seed) : state_(seed * 2654435761u + 1u) {}
    int Below(int n) {
        state_ = state_ * 1664525u + 1013904223u;
        return static_cast<int>((state_ >> 8) % static_cast<std::uint32_t>(n));
    }

private:
    std::uint32_t state_;
};

// Entry bytes: the typed letters in both cases, the typed punctuation, and
// the bytes that differ from one of those by the case bit alone ('|' and
// '\\', DEL and '_', '@' and '`', '[' and '{'), and bytes of 128 and more.
const std::string kEntryBytes = "abcABCzZ./\\_-1|\x7f@`[{\xc1\xe1";

// Character keys (break-key index, character), and the other keys.
struct CharacterKey {
    int index;
    char character;
};
const CharacterKey kCharacterKeys[] = {{LetterKey('A'), 'a'},
                                       {LetterKey('B'), 'b'},
                                       {LetterKey('C'), 'c'},
                                       {LetterKey('Z'), 'z'},
                                       {LetterKey('Q'), 'q'},
                                       {kPeriod, '.'},
                                       {kBackslashKey, '\\'},
                                       {kShiftMinus, '_'},
                                       {kKeypadDivide, platform::kPathSeparator},
                                       {27, '1'}};

std::string Lower(std::string text) {
    for (char &c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

// The menu's state by the plain rule.
struct PlainMenu {
    std::vector<std::string> history;
    std::string filter;
    int selection = 0;
    std::vector<std::size_t> positions;  // history position of each item

    // A full rebuild: a filter that matches nothing loses bytes until one does.
    void Build() {
        for (;;) {
            positions.clear();
            for (std::size_t l = 0; l < history.size(); ++l)
                if (filter.empty() || Lower(history[l]).find(filter) != std::string::npos)
                    positions.push_back(l);
            if (!positions.empty() || filter.empty()) return;
            filter.pop_back();
        }
    }
    [[nodiscard]] int Count() const { return static_cast<int>(positions.size()); }
    [[nodiscard]] std::vector<std::string> Texts() const {
        std::vector<std::string> texts;
        for (const std::size_t l : positions) {
            const std::string &entry = history[l];
            texts.push_back(entry.size() > 127 ? entry.substr(entry.size() - 127) : entry);
        }
        return texts;
    }
};

std::string RandomEntry(Dice &dice) {
    // Mostly short, some beyond the 127 bytes an item shows.
    const int length = dice.Below(4) == 0 ? 100 + dice.Below(120) : dice.Below(48);
    std::string entry;
    for (int i = 0; i < length; ++i)
        entry +=
            kEntryBytes[static_cast<std::size_t>(dice.Below(static_cast<int>(kEntryBytes.size())))];
    return entry;
}

TEST_F(PluginTest, EveryDisplayWhileTypingIsWhatAFullRebuildShows) {
    Load();
    for (std::uint32_t seed = 1; seed <= 150; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        Dice dice(seed);
        PlainMenu plain;
        const int entries = 1 + dice.Below(30);
        for (int i = 0; i < entries; ++i) plain.history.push_back(RandomEntry(dice));
        plain.selection = entries - 1;
        WriteHistory(plain.history);
        int chosen = -1;
        int displaysLeft = 40;
        ui.whileMenuShown = [&](const hostsim::MenuCall &menu) {
            plain.Build();
            if (plain.selection >= plain.Count()) plain.selection = plain.Count() - 1;
            ASSERT_EQ(menu.title, "File history [" + plain.filter + "]");
            ASSERT_THAT(Texts(menu), ::testing::ElementsAreArray(plain.Texts()));
            for (int i = 0; i < plain.Count(); ++i)
                ASSERT_EQ(menu.items[static_cast<std::size_t>(i)].selected,
                          i == plain.selection ? 1 : 0)
                    << "item " << i;
            // The next answer, and its effect on the plain menu.
            const int highlighted = dice.Below(plain.Count() + 1) - 1;
            const int action = --displaysLeft == 0 ? 0 : dice.Below(100);
            if (action < 4) {
                chosen = highlighted;
                ui.menuAnswers.push_back(Choose(chosen));
                return;
            }
            plain.selection = highlighted;
            if (action < 16) {
                ui.menuAnswers.push_back(Key(kBackspace, highlighted));
                if (!plain.filter.empty()) plain.filter.pop_back();
            } else if (action < 20) {
                ui.menuAnswers.push_back({-2, -1});  // shown again, nothing else
                plain.selection = -2;
            } else if (action < 24) {
                const int keep = 1 + dice.Below(static_cast<int>(plain.history.size()));
                ui.menuAnswers.push_back(Key(kDelete, highlighted));
                ui.promptAnswers.push_back({true, std::to_string(keep)});
                plain.history.erase(plain.history.begin(), plain.history.end() - keep);
            } else {
                const CharacterKey &key =
                    kCharacterKeys[dice.Below(static_cast<int>(std::size(kCharacterKeys)))];
                ui.menuAnswers.push_back(Key(key.index, highlighted));
                plain.filter += Lower(std::string(1, key.character));
            }
        };
        host.OpenPlugin();
        ui.whileMenuShown = nullptr;
        if (HasFatalFailure()) return;
        // The chosen entry is open in the current window; an empty one or a
        // cancel opens nothing.
        const std::string expected =
            chosen >= 0 ? plain.history[plain.positions[static_cast<std::size_t>(chosen)]] : "";
        const int current = host.CurrentWindow();
        EXPECT_EQ(current == 0 ? "" : host.Windows()[static_cast<std::size_t>(current)].name,
                  expected);
        while (host.Windows().size() > 1) host.CloseWindow(1);
        ui.menuAnswers.clear();
        ui.promptAnswers.clear();
    }
}

}  // namespace
