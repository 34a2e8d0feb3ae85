// What the fake plug-in does on OpenPlugin, chosen by the item argument.
#pragma once

namespace fake_plugin {

enum Scenario {
    kMenu = 1,     // shows a menu; opens the chosen item, or reports the break key
    kPrompt = 2,   // prompts into an 8-byte destination; reports its 12 bytes
    kWindows = 3,  // reports every window and one beyond; switches to openFrom
};

inline constexpr int kPromptDestSize = 8;
inline constexpr int kPromptBufferSize = 12;  // '#' past the destination
inline constexpr char kWindowFill = 'Z';      // fills the record before each query

}  // namespace fake_plugin
