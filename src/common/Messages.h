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

inline constexpr const char* kApplicationTitle = "Kordan für Zusi";

} // namespace kordan
