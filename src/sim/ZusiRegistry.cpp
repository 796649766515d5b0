#include "sim/ZusiRegistry.h"

#include "common/TextFile.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace kordan {

namespace {
// The buffer a value is read into: 255 characters and the terminating NUL.
constexpr uint32_t kValueBufferSize = 256;
} // namespace

ZusiRegistry::ZusiRegistry(IRegistryBackend& backend) : m_backend(backend) {}

ZusiRegistry::~ZusiRegistry() {
    close();
}

void ZusiRegistry::schluessel(std::string path) {
    m_schluessel = std::move(path);
    close();
}

void ZusiRegistry::close() {
    if (m_key != 0)
        m_backend.closeKey(m_key);
    m_key = 0;
}

std::string ZusiRegistry::Value(const std::string& pValue) {
    if (m_key == 0) {
        RegistryHandle handle = 0;
        m_lastResult = m_backend.openKey(m_schluessel, handle);
        // A failed open leaves no key, so the next call tries again (the simulator may be
        // installed or started later).
        m_key = m_lastResult == RegResult::Success ? handle : 0;
        if (m_key == 0)
            return {};
    }
    std::array<char, kValueBufferSize> buffer{};
    uint32_t size = kValueBufferSize;
    m_lastResult = m_backend.queryValue(m_key, pValue, buffer.data(), size);
    if (m_lastResult != RegResult::Success)
        return {};
    // The text ends at the first NUL; a backend that wrote none still stays in the buffer.
    const size_t length = strnlen(buffer.data(), std::min<size_t>(size, buffer.size()));
    return fromWindows1252(std::string_view(buffer.data(), length));
}

} // namespace kordan
