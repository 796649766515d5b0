#include "device/VirtualController.h"

#include <stdexcept>

namespace kordan {

int32_t VirtualController::EnumeratePIE(int32_t vid, DeviceInfoTable& info, int32_t& count) {
    count = 0;
    if (vid != kVendorId || !m_plugged)
        return 0;
    info[0] = kKordanProductId;
    info[1] = 4; // usage
    info[2] = kKordanUsagePage;
    info[3] = kHandle;
    count = 1;
    return 0;
}

int32_t VirtualController::SetupInterface(int32_t handle) {
    if (handle != kHandle || !m_plugged)
        return 1;
    m_open = true;
    m_lost = false;
    m_changed = true; // the first read after opening delivers the present state
    return 0;
}

int32_t VirtualController::ReadData(int32_t handle, InputReport& report) {
    if (handle != kHandle || !m_open || !m_changed)
        return 1;
    report = m_state;
    m_changed = false;
    return 0;
}

int32_t VirtualController::WriteData(int32_t handle, const OutputReport& report) {
    if (handle != kHandle || !m_open)
        return 1;
    if (report[1] == 134)
        m_display = report;
    else if (report[1] == 133)
        m_speaker = report[7] == 1;
    m_written.push_back(report);
    if (m_listener)
        m_listener(report);
    return 0;
}

void VirtualController::CloseInterface(int32_t handle) {
    if (handle == kHandle) {
        m_open = false;
        m_lost = false;
    }
}

DeviceStatus VirtualController::status(int32_t handle) {
    // A handle that a loss closed stays lost until it is opened again, even when the
    // controller is back by now: a pull and a plug between two reads is still a loss.
    return handle == kHandle && (!m_plugged || m_lost) ? DeviceStatus::Gone : DeviceStatus::Present;
}

void VirtualController::setPlugged(bool plugged) {
    if (plugged == m_plugged)
        return;
    m_plugged = plugged;
    m_lost = m_lost || m_open;
    m_open = false; // what was opened before is dead either way
    if (m_plugListener)
        m_plugListener(plugged);
}

void VirtualController::setLever(int lever, uint8_t raw) {
    if (lever < 1 || lever > 7)
        throw std::out_of_range("lever");
    if (m_state[lever] != raw) {
        m_state[lever] = raw;
        m_changed = true;
    }
}

void VirtualController::setButton(int button, bool pressed) {
    if (button < 1 || button > 44)
        throw std::out_of_range("button");
    int k = button - 1;
    uint8_t& byte = m_state[8 + k / 8];
    uint8_t mask = uint8_t(1u << (k % 8));
    uint8_t next = pressed ? uint8_t(byte | mask) : uint8_t(byte & ~mask);
    if (next != byte) {
        byte = next;
        m_changed = true;
    }
}

uint8_t VirtualController::lever(int lever) const {
    if (lever < 1 || lever > 7)
        throw std::out_of_range("lever");
    return m_state[lever];
}

bool VirtualController::button(int button) const {
    if (button < 1 || button > 44)
        throw std::out_of_range("button");
    int k = button - 1;
    return (m_state[8 + k / 8] >> (k % 8)) & 1;
}

int32_t CombinedPieHid::EnumeratePIE(int32_t vid, DeviceInfoTable& info, int32_t& count) {
    m_listings.resize(m_backends.size());
    count = 0;
    bool anyOk = false;
    for (size_t b = 0; b < m_backends.size(); ++b) {
        IPieHid* backend = m_backends[b];
        Listing& l = m_listings[b];
        if (!l.asked || backend->followsPlugging()) {
            l.info = {};
            l.count = 0;
            l.result = backend->EnumeratePIE(vid, l.info, l.count);
            l.asked = true;
        }
        if (l.result != 0)
            continue;
        anyOk = true;
        for (int32_t i = 0; i < l.count && i < kMaxDevices && count < kMaxDevices; ++i) {
            info[4 * count] = l.info[4 * i];
            info[4 * count + 1] = l.info[4 * i + 1];
            info[4 * count + 2] = l.info[4 * i + 2];
            info[4 * count + 3] = globalHandle(backend, l.info[4 * i + 3]);
            ++count;
        }
    }
    return anyOk || m_backends.empty() ? 0 : 1;
}

int32_t CombinedPieHid::globalHandle(IPieHid* backend, int32_t local) {
    for (size_t i = 0; i < m_routes.size(); ++i) {
        if (m_routes[i].backend == backend && m_routes[i].handle == local)
            return static_cast<int32_t>(i + 1);
    }
    m_routes.push_back({backend, local});
    return static_cast<int32_t>(m_routes.size());
}

const CombinedPieHid::Route* CombinedPieHid::route(int32_t handle) const {
    if (handle < 1 || handle > static_cast<int32_t>(m_routes.size()))
        return nullptr;
    return &m_routes[handle - 1];
}

int32_t CombinedPieHid::SetupInterface(int32_t handle) {
    auto r = route(handle);
    return r ? r->backend->SetupInterface(r->handle) : 1;
}

int32_t CombinedPieHid::ReadData(int32_t handle, InputReport& report) {
    auto r = route(handle);
    return r ? r->backend->ReadData(r->handle, report) : 1;
}

int32_t CombinedPieHid::WriteData(int32_t handle, const OutputReport& report) {
    auto r = route(handle);
    return r ? r->backend->WriteData(r->handle, report) : 1;
}

void CombinedPieHid::CloseInterface(int32_t handle) {
    if (auto r = route(handle))
        r->backend->CloseInterface(r->handle);
}

bool CombinedPieHid::waitForReport(int32_t handle, int32_t ms) {
    auto r = route(handle);
    return r ? r->backend->waitForReport(r->handle, ms) : false;
}

IPieHid::DeviceCheck CombinedPieHid::check(int32_t handle) {
    auto r = route(handle);
    return r ? r->backend->check(r->handle) : DeviceCheck{{}, DeviceStatus::Gone};
}

DeviceStatus CombinedPieHid::status(int32_t handle) {
    auto r = route(handle);
    return r ? r->backend->status(r->handle) : DeviceStatus::Gone;
}

} // namespace kordan
