// Trimming the history to a number of its newest entries.
#pragma once

// Asks how many entries to keep and drops the oldest ones beyond that. An
// answer that holds no number, or a cancel, changes nothing.
void TrimHistory();
