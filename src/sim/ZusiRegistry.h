#pragma once

#include "send/ZusiSend.h"
#include "sim/RegistryBackend.h"

#include <string>

namespace kordan {

// Reads string values of one key of the current user's registry, where the simulator
// keeps its settings. Only reads; a missing key or value gives "" and the caller supplies
// its own default. Every read asks the backend again, so values the simulator changes are
// seen.
class ZusiRegistry {
public:
    explicit ZusiRegistry(IRegistryBackend& backend) : m_backend(backend) {}

    // The key path below the user's root, e.g. "Software\zusi\zusi".
    const std::string& schluessel() const { return m_schluessel; }
    void schluessel(std::string path) { m_schluessel = std::move(path); }

    // The text of the value (UTF-8) up to its first NUL, or "" when the key or the value
    // cannot be read, including a value of 256 characters or more.
    std::string Value(const std::string& pValue);
    // `Value(pValue)` follows soon (see IRegistryBackend::prefetch).
    void prefetch(const std::string& pValue) { m_backend.prefetch(m_schluessel, pValue); }

private:
    IRegistryBackend& m_backend;
    std::string m_schluessel;
};

// The sender's key table from the simulator's keyboard settings in `registry`.
KeyTable zusiKeyTable(IRegistryBackend& registry);

} // namespace kordan
