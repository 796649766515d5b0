#include "app/ControllerSession.h"

#include "app/IgnoringErrors.h"
#include "common/Dialogs.h"
#include "common/NumberText.h"

namespace kordan {

namespace {

// A 32-bit number's upper-case hex text, at least `width` digits.
std::string hexPad(int64_t value, size_t width) {
    static const char* digits = "0123456789ABCDEF";
    uint64_t v = static_cast<uint64_t>(value) & 0xFFFFFFFFu;
    std::string s;
    do {
        s.insert(s.begin(), digits[v % 16]);
        v /= 16;
    } while (v != 0);
    if (s.size() < width)
        s.insert(0, width - s.size(), '0');
    return s;
}

} // namespace

std::string ControllerSession::entryText(int32_t productId, int32_t usage, int32_t usagePage,
                                         int32_t handle) {
    std::string h = std::to_string(handle);
    if (handle >= 0)
        h.insert(h.begin(), ' ');
    return "PID: " + hexPad(productId, 3) + ", Usg: " + hexPad(usage, 3) +
           ", UP: " + hexPad(usagePage, 3) + " -- splat device # " + h + " Kordan Desktop";
}

int32_t ControllerSession::handleFromEntry(const std::string& entry) {
    auto hash = entry.find('#');
    if (hash == std::string::npos || hash + 2 > entry.size())
        return 0;
    return readInt32(std::string_view(entry).substr(hash + 2));
}

void ControllerSession::enumerate(
    const std::function<void(const std::vector<std::string>&)>& showList) {
    DeviceInfoTable info{};
    int32_t count = 0;
    int32_t result = m_hid.EnumeratePIE(kVendorId, info, count);
    m_entries.clear();
    m_selected = -1;
    if (result == 0) {
        if (count > kMaxDevices)
            count = kMaxDevices; // the table holds no more
        for (int32_t i = 0; i < count; ++i) {
            if (info[4 * i + 2] == kKordanUsagePage && info[4 * i] == kKordanProductId)
                m_entries.push_back(entryText(kKordanProductId, info[4 * i + 1], kKordanUsagePage,
                                              info[4 * i + 3]));
        }
    }
    showList(m_entries);
    if (result == 0 && m_entries.empty())
        m_dialogs.message("Kein Kordan angeschlossen.");
}

bool ControllerSession::select(int index, bool closeOpen,
                               const std::function<void()>& beforeClose) {
    if (index < 0 || index >= static_cast<int>(m_entries.size()))
        return false;
    m_selected = index;
    ignoringErrors([&] {
        if (closeOpen) {
            // Keys held through the old controller would otherwise stay down.
            beforeClose();
            m_hid.CloseInterface(m_handle);
        }
    });
    ignoringErrors([&] { m_handle = handleFromEntry(m_entries[index]); });
    ignoringErrors([&] { m_hid.SetupInterface(m_handle); });
    return true;
}

} // namespace kordan
