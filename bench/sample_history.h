// Sample history files for the benchmarks: realistic paths (about 95 bytes,
// many files under few deep folders) in Windows or POSIX form, made the same
// way on every run, in a folder of their own that goes away at exit.
#pragma once

#include <cstdint>
#include <string>

enum class PathForm { Windows, Posix };

struct SampleHistory {
    std::string path;   // the history file on disk
    std::string bytes;  // its contents: one CR LF terminated path per entry
    std::int32_t entries = 0;
};

// The sample of that many entries, written on first use.
const SampleHistory &SampleOf(std::int32_t entries, PathForm form = PathForm::Windows);

// A path in the samples' folder for files that the benchmarks write.
std::string ScratchFile(const std::string &name);

// Writes the sample of that many entries to the scratch file of that name, for
// a benchmark that changes the file, dated as a history last changed an hour
// ago; returns its path.
std::string CopyOfSample(std::int32_t entries, const std::string &name,
                         PathForm form = PathForm::Windows);

// One fwrite of the bytes and, when `flushed`, a flush to disk. When
// `replacing`, they go into a new file that is then renamed over `path`: the
// disk work of a safe save.
[[nodiscard]] bool WriteAndFlush(const std::string &bytes, const std::string &path, bool flushed,
                                 bool replacing);

// The floor of a load: one fread of the whole sample file, then memchr
// counting its line breaks. The breaks counted, or -1 when the read failed.
[[nodiscard]] std::int64_t ReadAndCountLines(const SampleHistory &sample);
