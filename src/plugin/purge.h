// Removing history entries whose files are gone.
#pragma once

// Removes every entry whose file's attributes cannot be queried, then saves.
void PurgeMissing();
