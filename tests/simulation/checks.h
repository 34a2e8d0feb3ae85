// Small helpers the simulation's parts share: drawing numbers, stating a
// broken rule, and showing names and lists in a report.
#pragma once

#include <cstdint>
#include <random>
#include <string>

#include "simulation/rules.h"
#include "simulation/world.h"

namespace sim {

inline int Below(std::mt19937_64 &random, int bound) {
    return static_cast<int>(random() % static_cast<std::uint64_t>(bound));
}

// Throws the broken rule unless it holds.
void Expect(bool holds, const std::string &what);

// A name with its bytes beyond printable ASCII as \xNN, in quotes.
std::string Quoted(const std::string &text);
std::string Shown(const Entries &list);

// Whether the history's contents or write time differ between two looks; a
// held file cannot be read, so only its size and time tell. The change time
// is left out: a rewrite in place put back changes it alone.
bool Differs(const Look &a, const Look &b, bool held);

}  // namespace sim
