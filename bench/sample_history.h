// Sample history files for the benchmarks: realistic Windows paths, made the
// same way on every run, in a folder of their own that goes away at exit.
#pragma once

#include <cstdint>
#include <string>

struct SampleHistory {
    std::string path;   // the history file on disk
    std::string bytes;  // its contents: one CR LF terminated path per entry
    std::int32_t entries = 0;
};

// The sample of that many entries, written on first use.
const SampleHistory &SampleOf(std::int32_t entries);

// A path in the samples' folder for files that the benchmarks write.
std::string ScratchFile(const std::string &name);

// Writes the sample of that many entries to the scratch file of that name, for
// a benchmark that changes the file; returns its path.
std::string CopyOfSample(std::int32_t entries, const std::string &name);
