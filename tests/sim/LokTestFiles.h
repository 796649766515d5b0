#pragma once

#include "fakes/TempDir.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kordan::test {

// The values a hand-made locomotive file carries at the counted lines.
struct LokValues {
    std::string version = "2.3";
    std::string fbv = "D2";
    std::string raste = "0";
    std::string antriebssystem = "ElektrischReihenschluss";
    std::string leistung = "3700";
    std::string fahrschalter = "Standard";
    std::string fahrstufen = "12";
    std::string afb = "0";
};

// The lines of a hand-made locomotive file. Behind the fourth "#IF" (line D) the
// lines 14, 15 and 17 are "#IF" and every line from 18 on holds its own number counted
// from D, so the brake value tells which "#IF" and which line a drive system used:
// 1 line read first ends on line 14, 2 on line 15, 3 go on to line 17.
inline std::vector<std::string> lokLines(const LokValues& v) {
    std::vector<std::string> l = {v.version, "Testlok", "Beschreibung", "#", "1", "2",
                                  v.fbv,     "4",       "#IF"};
    for (int i = 1; i <= 11; ++i)
        l.push_back(std::to_string(i));
    l.push_back(v.raste);
    l.insert(l.end(), {"Raste+1", "#IF", "b", "#IF", "c", "#IF"});
    l.insert(l.end(), {"d1", "d2", v.antriebssystem, v.leistung, "d5", v.fahrschalter, v.fahrstufen,
                       "d8", v.afb, "10", "11", "12", "13", "#IF", "#IF", "16", "#IF"});
    for (int i = 18; i <= 40; ++i)
        l.push_back(" " + std::to_string(i) + " ");
    return l;
}

// The file of those lines, or of only the first `count` of them.
inline std::string lokFile(const LokValues& v, size_t count = SIZE_MAX) {
    const auto lines = lokLines(v);
    return crlf({lines.begin(), lines.begin() + std::min(count, lines.size())});
}

} // namespace kordan::test
