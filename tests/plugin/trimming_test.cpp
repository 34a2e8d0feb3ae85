// Trimming from the menu: the prompt, and what each kind of answer keeps,
// saves, and whether the menu comes back.
#include <gmock/gmock.h>

#include <optional>

#include "plugin/plugin_fixture.h"

namespace {

using ::testing::ElementsAre;
using Entries = std::vector<std::string>;

const Entries kFive = {"h1", "h2", "h3", "h4", "h5"};

struct Trim {
    std::optional<std::string> answer;  // nullopt: the prompt is cancelled
    std::optional<Entries> saved;       // nullopt: nothing is saved
    std::size_t menusShown;
};

TEST_F(PluginTest, DeleteAsksHowManyEntriesToKeepAndDropsTheOldest) {
    Load();
    const Trim trims[] = {
        {"2", Entries{"h4", "h5"}, 2},
        {" +3", Entries{"h3", "h4", "h5"}, 2},
        {"10", kFive, 2},     // saved all the same
        {"10abc", kFive, 2},  // text after the number is ignored
        {"99999999999", kFive, 2},
        {"0", Entries{}, 1},    // empty: the menu closes
        {"", std::nullopt, 2},  // no number: nothing happens
        {"abc", std::nullopt, 2},
        {"-3", std::nullopt, 2},
        {std::nullopt, std::nullopt, 2},
    };
    for (const Trim &trim : trims) {
        SCOPED_TRACE(trim.answer.value_or("(cancel)"));
        host.ClearCalls();
        WriteHistory(kFive);
        // Removed at the first display, so that only a save brings it back.
        ui.whileMenuShown = [this, first = true](const hostsim::MenuCall &) mutable {
            if (first) RemoveHistory();
            first = false;
        };
        ui.menuAnswers = {Key(kDelete)};
        ui.promptAnswers = {{trim.answer.has_value(), trim.answer.value_or("")}};
        host.OpenPlugin();

        EXPECT_EQ(HistoryExists(), trim.saved.has_value());
        if (trim.saved) {
            EXPECT_EQ(History(), *trim.saved);
        }
        EXPECT_EQ(Menus().size(), trim.menusShown);
    }
    const hostsim::PromptCall prompt = host.CallsOf<hostsim::PromptCall>().at(0);
    EXPECT_EQ(prompt.title, "Clear history");
    EXPECT_EQ(prompt.prompt, "Input number of items to keep");
    EXPECT_EQ(prompt.historyName, std::nullopt);
    EXPECT_EQ(prompt.initialText, "100");
    EXPECT_EQ(prompt.destSize, 32);
    EXPECT_EQ(prompt.helpTopic, std::nullopt);
    EXPECT_EQ(prompt.flags, 0u);
}

}  // namespace
