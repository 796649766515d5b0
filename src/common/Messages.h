#pragma once

#include <string>

namespace kordan {

// The message shown when a file of the program could not be written. The previous file
// stays as it was (saves are atomic), so the text says only that this save failed.
inline std::string saveFailedMessage(const std::string& path, const std::string& reason) {
    std::string text = "Die Datei " + path + " konnte nicht gespeichert werden.";
    if (!reason.empty())
        text += "\n(" + reason + ")";
    return text;
}

// Shown when a file the program could not read is about to be written over: the user's
// file is not lost, a copy of it is kept beside it.
inline std::string keptMessage(const std::string& path, const std::string& backup) {
    auto name = [](const std::string& p) { return p.substr(p.find_last_of("/\\") + 1); };
    return "Die Datei " + name(path) + " konnte nicht gelesen werden; sie bleibt als " +
           name(backup) + " erhalten.";
}

inline constexpr const char* kApplicationTitle = "Kordan für Zusi";

} // namespace kordan
