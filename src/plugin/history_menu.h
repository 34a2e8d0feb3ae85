// The history menu, run from the host's plug-in menu.
#pragma once

// One run of the menu: shows the history until an entry is chosen (and
// opened), the menu is cancelled, or the history is empty. True when the
// menu is to be started afresh.
bool RunHistoryMenu();
