// The plug-in's message box, shown when the history is empty.
#include "plugin/notice.h"

#include <iterator>

#include "plugin/startup.h"

int ShowNotice(const char *text) {
    const char *const notice[] = {"Quorvel", text, "Ok"};
    const char *const missingText[] = {"Wrong argument!", "Msg", "Ok"};
    Host.ShowMessage({.lines = text ? notice : missingText,
                      .lineCount = static_cast<int>(std::size(notice)),
                      .buttonCount = 1});
    return 0;
}
