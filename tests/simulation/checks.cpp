// The simulation's shared helpers.
#include "simulation/checks.h"

#include "simulation/simulation.h"

namespace sim {

void Expect(bool holds, const std::string &what) {
    if (!holds) throw Violation{what};
}

std::string Quoted(const std::string &text) {
    std::string shown = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 32 && byte < 127) {
            shown += c;
        } else {
            const char *digits = "0123456789abcdef";
            shown += "\\x";
            shown += digits[byte >> 4];
            shown += digits[byte & 15];
        }
    }
    return shown + "\"";
}

std::string Shown(const Entries &list) {
    std::string shown = "[";
    for (const std::string &entry : list) {
        if (shown.size() > 1) shown += ", ";
        shown += Quoted(entry);
    }
    return shown + "]";
}

bool Differs(const Look &a, const Look &b, bool held) {
    if (held) return a.exists != b.exists || a.size != b.size || a.time != b.time;
    return a.exists != b.exists || a.regular != b.regular || a.size != b.size || a.time != b.time ||
           a.bytes != b.bytes;
}

}  // namespace sim
