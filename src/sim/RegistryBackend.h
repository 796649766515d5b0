#pragma once

#include <cstdint>
#include <string>

namespace kordan {

// An open registry key; 0 = none.
using RegistryHandle = uint32_t;

// Result codes of the registry calls, with the values the Windows registry uses.
namespace RegResult {
inline constexpr int32_t Success = 0;
inline constexpr int32_t FileNotFound = 2;  // key or value missing
inline constexpr int32_t InvalidHandle = 6; // the handle names no open key
inline constexpr int32_t MoreData = 234;    // the value does not fit the buffer
} // namespace RegResult

// Read-only access to the current user's part of the registry, in the shape of the
// Windows calls the program was designed around. Key paths are relative to the user's
// root, use "\" as separator and, like value names, compare case-insensitively. Texts
// cross this interface as single-byte text (Windows-1252). Used on one thread only.
class IRegistryBackend {
public:
    virtual ~IRegistryBackend() = default;

    // Opens `keyPath` for reading values. On success stores a non-zero handle in
    // `handle`; otherwise `handle` is left 0 and a failure code returned.
    virtual int32_t openKey(const std::string& keyPath, RegistryHandle& handle) = 0;

    // Reads the value `valueName` of an open key into `buffer` of `size` bytes. A string
    // value is written with its terminating NUL and `size` set to the bytes written. A
    // value that is missing or does not fit (with its NUL) gives a failure code; the
    // buffer's contents are then undefined.
    virtual int32_t queryValue(RegistryHandle handle, const std::string& valueName, char* buffer,
                               uint32_t& size) = 0;

    // Closes an open key; unknown handles are ignored.
    virtual void closeKey(RegistryHandle handle) = 0;
};

} // namespace kordan
