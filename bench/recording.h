// Recording a file into a sample history, as the benchmarks time it: the
// history loaded as at start-up, then recordings that alternate between two
// files the sample lacks, each replacing its own older entry near the end,
// so the list keeps its size.
#pragma once

#include <cstdint>

// The two files recorded in turn.
inline constexpr const char *kRecorded[] = {
    "C:\\Users\\alice\\source\\repos\\Contoso\\billing-service\\src\\core\\Handlers\\recorded_1."
    "cpp",
    "C:\\Users\\alice\\source\\repos\\Contoso\\billing-service\\src\\core\\Handlers\\recorded_2."
    "cpp"};

// Loads a fresh copy of the sample of that many entries as the history and
// records both files once; false when it did not load.
[[nodiscard]] bool StartRecording(std::int32_t entries);
// Records the next of the two files: takes the lock, finds the file as this
// copy's own last save left it (nothing to read), walks for older entries
// and saves.
void RecordNext();
// Whether every recording reached the file; empties the history.
[[nodiscard]] bool EndRecording(std::int32_t entries);
