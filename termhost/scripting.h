// The scripting mode: drives the plug-in without the full screen, for
// shells and tests.
#pragma once

#include <ostream>

#include "termhost/options.h"

namespace termhost {

// Records each --open file as the editor would, then prints the history if
// asked; the exit status.
int RunScript(const Options &options, std::ostream &out, std::ostream &err);

}  // namespace termhost
