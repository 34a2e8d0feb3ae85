// The plug-in's one message box.
#pragma once

// Shows the text in a box titled with the plug-in's name, with one button.
int ShowNotice(const char *text);
