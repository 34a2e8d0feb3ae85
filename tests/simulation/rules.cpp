// The rules the simulation checks, in their plainest form.
#include "simulation/rules.h"

#include <algorithm>
#include <climits>

namespace sim {
namespace {

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string Lowered(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), Lower);
    return text;
}

}  // namespace

std::string StoredForm(const std::string &reported) {
    std::string stored = reported;
    if (kWindows) std::replace(stored.begin(), stored.end(), '/', '\\');
    return stored;
}

std::string FileKey(const std::string &stored) { return kWindows ? Lowered(stored) : stored; }

bool Recordable(const std::string &reported) {
    return !reported.empty() && reported.find_first_of("\r\n") == std::string::npos;
}

void Record(Entries &list, const std::string &stored) {
    const std::string key = FileKey(stored);
    std::erase_if(list, [&](const std::string &entry) { return FileKey(entry) == key; });
    list.push_back(stored);
}

void Replay(Entries &list, const Entries &recordings) {
    for (const std::string &name : recordings) Record(list, name);
}

Entries ParseHistory(const std::string &bytes) {
    Entries entries;
    std::string line;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c != '\r' && c != '\n') {
            line += c;
            continue;
        }
        entries.push_back(line.substr(0, line.find('\0')));
        line.clear();
        if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
    }
    if (!line.empty()) entries.push_back(line.substr(0, line.find('\0')));
    return entries;
}

std::string HistoryBytes(const Entries &list) {
    std::string bytes;
    for (const std::string &entry : list) bytes += entry + "\r\n";
    return bytes;
}

std::optional<std::int32_t> KeepCount(const std::string &answer) {
    std::size_t i = answer.find_first_not_of(" \t\n\v\f\r");
    if (i == std::string::npos) return std::nullopt;
    if (answer[i] == '+') ++i;
    long long value = 0;
    const std::size_t digits = i;
    for (; i < answer.size() && answer[i] >= '0' && answer[i] <= '9'; ++i)
        value = std::min<long long>(value * 10 + (answer[i] - '0'), INT32_MAX);
    if (i == digits) return std::nullopt;
    return static_cast<std::int32_t>(value);
}

char KeyCharacter(int index) {
    const BreakKey &key = kBreakKeys[static_cast<std::size_t>(index)];
    // The filter is kept in lower case.
    return key.effect == KeyEffect::AppendCharacter ? Lower(key.character) : 0;
}

Listing ListFor(const Entries &list, std::string &filter) {
    for (;;) {
        Listing listing;
        for (std::size_t i = 0; i < list.size(); ++i) {
            const std::string &entry = list[i];
            if (Lowered(entry).find(filter) == std::string::npos) continue;
            listing.texts.push_back(entry.size() < 128 ? entry : entry.substr(entry.size() - 127));
            listing.positions.push_back(static_cast<int>(i));
        }
        if (!listing.texts.empty() || filter.empty()) return listing;
        filter.pop_back();
    }
}

}  // namespace sim
