// The history file's path, derived from the library's own path.
#pragma once

#include "text/dyn_string.h"

// The same folder and name as the library, with ".ini" in place of its
// extension (appended when it has none, or has ".ini" already, so the
// history is never the library itself). On systems that ignore letter case
// the whole path is lower-cased, character by character.
[[nodiscard]] DynString HistoryPathFor(const char *modulePath);
