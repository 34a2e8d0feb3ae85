// The plug-in's message box, shown when the history is empty.
#include "plugin/notice.h"

#include "plugin/startup.h"

int ShowNotice(const char *text) {
    const char *const notice[] = {"Quorvel", text, "Ok"};
    const char *const missingText[] = {"Wrong argument!", "Msg", "Ok"};
    StartupCopy.ShowMessage(StartupCopy.PluginId, 0, nullptr, text ? notice : missingText, 3, 1);
    return 0;
}
