#include "sim/ZusiRegistry.h"

#include "common/TextFile.h"

#include <algorithm>

namespace kordan {

namespace {
// The longest value the simulator's settings can hold: 255 characters.
constexpr size_t kMaxValueLength = 255;
} // namespace

std::string ZusiRegistry::Value(const std::string& pValue) {
    auto value = m_backend.readString(m_schluessel, pValue);
    if (!value)
        return {};
    value->resize(std::min(value->size(), value->find('\0')));
    if (value->size() > kMaxValueLength)
        return {};
    return fromWindows1252(*value);
}

KeyTable zusiKeyTable(IRegistryBackend& registry) {
    ZusiRegistry reader(registry);
    reader.schluessel("Software\\zusi\\zusi");
    return makeKeyTable([&](std::string_view name) { return reader.Value(std::string(name)); });
}

} // namespace kordan
