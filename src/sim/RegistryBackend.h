#pragma once

#include <optional>
#include <string>

namespace kordan {

// Read-only access to the current user's part of the registry. Key paths are relative to
// the user's root, use "\" as separator and, like value names, compare case-insensitively.
// Texts cross this interface as single-byte text (Windows-1252). Used on one thread only.
class IRegistryBackend {
public:
    virtual ~IRegistryBackend() = default;

    // The string value `valueName` of the key `keyPath` as stored (a stored NUL included);
    // nullopt when the key or the value is missing or the value is no string.
    virtual std::optional<std::string> readString(const std::string& keyPath,
                                                  const std::string& valueName) = 0;

    // The value will be read soon: a backend whose reads take a round trip may ask for it
    // now, so that the read need not wait.
    virtual void prefetch(const std::string& keyPath, const std::string& valueName) {
        (void)keyPath;
        (void)valueName;
    }

    // True when a read since the last call went unanswered: a backend that asks another
    // process may give up waiting, and then the value may well exist. Local backends always
    // answer.
    virtual bool takeUnanswered() { return false; }
};

} // namespace kordan
