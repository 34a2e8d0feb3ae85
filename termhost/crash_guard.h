// Gives the terminal back on every way out: normal exits, uncaught
// exceptions, termination signals, and fatal signals such as a crash inside
// the loaded plug-in, which is then reported.
#pragma once

namespace termhost::crash_guard {

// Installs the handlers; `restore` gives the terminal back and may be
// called from a signal handler.
void Install(void (*restore)());

// Marks a call into the plug-in, so that a crash during it is reported as
// the plug-in's. The host's own code that the plug-in calls back (its
// services) marks itself with HostCode.
class PluginCode {
public:
    PluginCode();
    ~PluginCode();
    PluginCode(const PluginCode &) = delete;
    PluginCode &operator=(const PluginCode &) = delete;
};

class HostCode {
public:
    HostCode();
    ~HostCode();
    HostCode(const HostCode &) = delete;
    HostCode &operator=(const HostCode &) = delete;

private:
    int saved_;
};

}  // namespace termhost::crash_guard
