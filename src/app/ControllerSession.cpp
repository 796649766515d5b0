#include "app/ControllerSession.h"

#include "app/IgnoringErrors.h"
#include "common/Dialogs.h"
#include "common/NumberText.h"

#include <algorithm>

namespace kordan {

std::string ControllerSession::entryText(int32_t productId, int32_t usage, int32_t usagePage,
                                         int32_t handle) {
    std::string h = std::to_string(handle);
    if (handle >= 0)
        h.insert(h.begin(), ' ');
    return "PID: " + hexText(productId, 3) + ", Usg: " + hexText(usage, 3) +
           ", UP: " + hexText(usagePage, 3) + " -- splat device # " + h + " Kordan Desktop";
}

int32_t ControllerSession::handleFromEntry(const std::string& entry) {
    auto hash = entry.find('#');
    if (hash == std::string::npos || hash + 2 > entry.size())
        return 0;
    return readInt32(std::string_view(entry).substr(hash + 2));
}

namespace {

// Shown once when a controller is there but may not be opened: on Linux its hidraw node
// belongs to root until the shipped udev rule is installed.
const char* const kNoAccessText =
    "Auf das Kordan-Fahrpult kann nicht zugegriffen werden: Das System verweigert den "
    "Zugriff auf das Gerät, darum bleiben seine Hebel und Tasten ohne Wirkung.\n\n"
    "Bitte die mitgelieferte udev-Regel einmal installieren:\n"
    "sudo install -m 644 packaging/udev/70-kordan.rules /etc/udev/rules.d/\n"
    "sudo udevadm control --reload-rules && sudo udevadm trigger\n\n"
    "Danach das Fahrpult abziehen und wieder anstecken.";

} // namespace

bool ControllerSession::list(std::vector<Device>& out) {
    DeviceInfoTable info{};
    int32_t count = 0;
    out.clear();
    if (m_hid.EnumeratePIE(kVendorId, info, count) != 0)
        return false;
    for (int32_t i = 0; i < std::min(count, kMaxDevices); ++i) { // the table holds no more
        if (isKordan(info[4 * i], info[4 * i + 2]))
            out.push_back({info[4 * i + 1], info[4 * i + 3]});
    }
    return true;
}

std::vector<std::string> ControllerSession::entries() const {
    std::vector<std::string> texts;
    for (size_t i = 0; i < m_devices.size(); ++i) {
        const Device& d = m_devices[i];
        std::string text = entryText(kKordanProductId, d.usage, kKordanUsagePage, d.handle);
        if (int(i) == m_selected && m_link == Link::Lost)
            text += " (getrennt)";
        else if (m_refused.count(d.handle))
            text += " (kein Zugriff)";
        texts.push_back(text);
    }
    return texts;
}

int ControllerSession::indexOf(int32_t handle) const {
    for (size_t i = 0; i < m_devices.size(); ++i) {
        if (m_devices[i].handle == handle)
            return int(i);
    }
    return -1;
}

void ControllerSession::enumerate(
    const std::function<void(const std::vector<std::string>&)>& showList) {
    bool listed = list(m_devices);
    m_selected = -1;
    m_shown = entries();
    showList(m_shown);
    if (listed && m_devices.empty())
        m_dialogs.message(kNoControllerText);
}

std::optional<std::vector<std::string>> ControllerSession::changedEntries() {
    std::vector<std::string> now = entries();
    if (now == m_shown)
        return std::nullopt;
    m_shown = now;
    return now;
}

ControllerSession::Rescan ControllerSession::rescan() {
    std::vector<Device> now;
    if (!list(now))
        return {};
    Rescan r;
    const std::vector<Device> before = m_devices;
    std::set<int32_t> known;
    for (const Device& d : before)
        known.insert(d.handle);
    if (m_selected >= 0) {
        const Device selected = before[size_t(m_selected)];
        bool present = false;
        for (const Device& d : now)
            present = present || d.handle == selected.handle;
        if (!present) {
            // The entry stays where it was, marked, so the selection does not move.
            r.lost = m_link == Link::Open;
            if (r.lost)
                m_link = Link::Lost;
            now.insert(now.begin() + std::min<size_t>(size_t(m_selected), now.size()), selected);
        } else if (m_link == Link::Lost || m_link == Link::NoAccess) {
            open();
            r.returned = m_link == Link::Open;
        }
        m_devices = now;
        m_selected = indexOf(selected.handle);
    } else {
        m_devices = now;
        r.onlyOne = m_devices.size() == 1 && !known.count(m_devices[0].handle);
    }
    return r;
}

void ControllerSession::open() {
    m_refused.erase(m_handle);
    ignoringErrors([&] { m_hid.SetupInterface(m_handle); });
    DeviceStatus status = DeviceStatus::Present;
    ignoringErrors([&] { status = m_hid.status(m_handle); });
    m_link = status == DeviceStatus::Present ? Link::Open
             : status == DeviceStatus::Gone  ? Link::Lost
                                             : Link::NoAccess;
    if (m_link != Link::NoAccess)
        return;
    m_refused.insert(m_handle);
    if (!m_toldNoAccess) {
        m_toldNoAccess = true;
        m_dialogs.message(kNoAccessText, MsgButtons::Ok, MsgIcon::Exclamation);
    }
}

bool ControllerSession::select(int index, bool closeOpen,
                               const std::function<void()>& beforeClose) {
    if (index < 0 || index >= static_cast<int>(m_devices.size()))
        return false;
    const std::string entry = entries()[size_t(index)];
    m_selected = index;
    ignoringErrors([&] {
        if (closeOpen) {
            // Keys held through the old controller would otherwise stay down.
            beforeClose();
            m_hid.CloseInterface(m_handle);
        }
    });
    ignoringErrors([&] { m_handle = handleFromEntry(entry); });
    open();
    return true;
}

ControllerSession::Read ControllerSession::read(InputReport& report) {
    if (!isOpen())
        return Read::Nothing;
    if (m_hid.ReadData(m_handle, report) == 0)
        return Read::Report;
    if (m_hid.status(m_handle) != DeviceStatus::Gone)
        return Read::Nothing;
    m_link = Link::Lost;
    return Read::Lost;
}

} // namespace kordan
