#pragma once

#include "sim/RegistryBackend.h"

#include <cstdint>
#include <string>

namespace kordan {

// Reads string values of one key of the current user's registry, where the simulator
// keeps its settings. Only reads; a missing key or value gives "" and the caller supplies
// its own default. The key stays open from the first `Value` until the path changes or
// the reader is released.
class ZusiRegistry {
public:
    explicit ZusiRegistry(IRegistryBackend& backend);
    ~ZusiRegistry();
    ZusiRegistry(const ZusiRegistry&) = delete;
    ZusiRegistry& operator=(const ZusiRegistry&) = delete;

    // The key path below the user's root, e.g. "Software\zusi\zusi".
    const std::string& schluessel() const { return m_schluessel; }
    // Stores the new path and closes an open key, so the next `Value` opens the new one.
    void schluessel(std::string path);

    // The text of the value (UTF-8), or "" when the key or the value cannot be read,
    // including a value of 256 characters or more.
    std::string Value(const std::string& pValue);

private:
    void close();

    IRegistryBackend& m_backend;
    RegistryHandle m_key = 0;
    std::string m_schluessel;
    int32_t m_lastResult = RegResult::Success;
};

} // namespace kordan
