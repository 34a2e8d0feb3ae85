// Bringing a history entry up in the host's editor.
#pragma once

// Switches to the first editor window on the file, or opens a new editor.
void OpenInEditor(const char *path);
