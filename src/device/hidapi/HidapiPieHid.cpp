#include "device/hidapi/HidapiPieHid.h"

#include <algorithm>
#include <array>
#include <optional>
#include <utility>

namespace kordan {
namespace {

// Larger than any report of a full-speed device, so a whole report always fits.
constexpr size_t kReadBufferSize = 64;
// Bounds one drain, so a device that never falls silent cannot hold the loop.
constexpr int kMaxDrain = 256;

// The device has no report ids, so hidapi hands over its reports without the id byte.
// Shifting them by one gives the layout the program reads: byte 0 unused, lever i in
// byte i, buttons in bytes 8-13. Bytes a short report does not reach stay 0.
InputReport placeReport(std::span<const uint8_t> data) {
    InputReport report{};
    size_t n = std::min(data.size(), report.size() - 1);
    std::copy_n(data.begin(), n, report.begin() + 1);
    return report;
}

class HidapiPieHid : public IPieHid {
public:
    explicit HidapiPieHid(std::unique_ptr<hid::Bus> bus) : m_bus(std::move(bus)) {}

    int32_t EnumeratePIE(int32_t vid, DeviceInfoTable& info, int32_t& count) override {
        count = 0;
        info.fill(0);
        // hidapi reads vendor 0 as "every vendor"; the program asks for one vendor only.
        if (vid <= 0 || vid > 0xFFFF)
            return 0;
        std::vector<hid::DeviceEntry> entries;
        if (!m_bus->enumerate(static_cast<uint16_t>(vid), entries))
            return 1;
        // A controller in use that came back on a new path keeps its handle, so the
        // program sees the same controller return rather than a new one.
        for (Slot& slot : m_slots) {
            if (slot.inUse && !isPresentAt(slot, slot.path, entries))
                rebind(slot, entries);
        }
        for (const hid::DeviceEntry& e : entries) {
            if (count >= kMaxDevices)
                break;
            if (e.vendorId != vid)
                continue;
            int32_t* row = &info[4 * count];
            row[0] = e.productId;
            row[1] = e.usage;
            row[2] = e.usagePage;
            row[3] = handleFor(e);
            ++count;
        }
        return 0;
    }

    int32_t SetupInterface(int32_t handle) override {
        Slot* slot = find(handle);
        if (!slot)
            return 1;
        slot->watch.reset();
        slot->device.reset();
        slot->pending.reset();
        slot->inUse = true;
        slot->status = DeviceStatus::Gone;
        std::vector<hid::DeviceEntry> entries;
        if (!m_bus->enumerate(slot->vendorId, entries))
            return 1;
        if (!isPresentAt(*slot, slot->path, entries) && !rebind(*slot, entries))
            return 1;
        bool denied = false;
        slot->device = m_bus->open(slot->path, denied);
        startWatch(*slot);
        slot->status = slot->device ? DeviceStatus::Present
                       : denied     ? DeviceStatus::NoAccess
                                    : DeviceStatus::Gone;
        return slot->device ? 0 : 1;
    }

    int32_t ReadData(int32_t handle, InputReport& report) override {
        Slot* slot = find(handle);
        if (!slot || !slot->device)
            return 1;
        // Every report queued since the last poll is read and only the newest kept, so
        // the program always acts on the lever positions of now, never on a backlog.
        std::optional<InputReport> newest = std::exchange(slot->pending, std::nullopt);
        std::array<uint8_t, kReadBufferSize> buffer{};
        for (int i = 0; i < kMaxDrain; ++i) {
            int n = slot->device->read(buffer, 0);
            if (n == 0)
                break;
            if (n < 0) {
                lose(*slot);
                break;
            }
            newest = placeReport(std::span<const uint8_t>(buffer.data(), size_t(n)));
        }
        if (!newest)
            return 1;
        report = *newest;
        return 0;
    }

    int32_t WriteData(int32_t handle, const OutputReport& report) override {
        Slot* slot = find(handle);
        if (!slot || !slot->device)
            return 1;
        int n = slot->device->write(report);
        return n == static_cast<int>(report.size()) ? 0 : 1;
    }

    void CloseInterface(int32_t handle) override {
        if (Slot* slot = find(handle)) {
            slot->watch.reset(); // nothing watches the device after this
            slot->device.reset();
            slot->pending.reset();
            slot->inUse = false;
            slot->status = DeviceStatus::Present;
        }
    }

    DeviceStatus status(int32_t handle) override {
        Slot* slot = find(handle);
        return slot ? slot->status : DeviceStatus::Gone;
    }

    bool followsPlugging() const override { return true; }

    void watchWith(FdWatch watch) override { m_onLoop = std::move(watch); }

    DeviceCheck check(int32_t handle) override {
        Slot* slot = find(handle);
        if (!slot)
            return {{}, DeviceStatus::Gone};
        if (slot->device)
            return {slot->path, DeviceStatus::Present};
        bool denied = false;
        const bool opened = m_bus->open(slot->path, denied) != nullptr;
        return {slot->path, opened   ? DeviceStatus::Present
                            : denied ? DeviceStatus::NoAccess
                                     : DeviceStatus::Gone};
    }

    bool waitForReport(int32_t handle, int32_t ms) override {
        Slot* slot = find(handle);
        // Without an open device nothing can be waited for: the caller must sleep, or
        // an unplugged controller would turn the polling loop into a busy loop.
        if (!slot || !slot->device)
            return false;
        if (slot->pending)
            return true;
        // Watched: a report is waiting, or the caller's wait for events watches the node.
        if (slot->watch)
            return std::exchange(*slot->ready, false);
        std::array<uint8_t, kReadBufferSize> buffer{};
        int n = slot->device->read(buffer, std::max(ms, 0));
        if (n < 0) {
            lose(*slot);
            return false;
        }
        if (n > 0)
            slot->pending = placeReport(std::span<const uint8_t>(buffer.data(), size_t(n)));
        return true;
    }

private:
    // One device node, known by its path. Its handle is its index + 1 and stays the same
    // for that path across enumerations.
    struct Slot {
        std::string path;
        uint16_t vendorId = 0;
        uint16_t productId = 0;
        std::wstring serial;
        std::unique_ptr<hid::Device> device;
        std::optional<InputReport> pending; // read while waiting, handed out by ReadData
        bool inUse = false;                 // opened and not closed, though perhaps lost since
        DeviceStatus status = DeviceStatus::Present;
        // Set by the watch in the loop's wait: a report (or the device's end) is there to be
        // read. Shared, as slots move when the list grows.
        std::shared_ptr<bool> ready = std::make_shared<bool>(false);
        std::unique_ptr<hid::Watch> watch; // after `device`: ends before the device closes
    };

    void startWatch(Slot& slot) {
        if (!slot.device || !m_onLoop)
            return;
        *slot.ready = false;
        slot.watch = slot.device->watch(m_onLoop, [ready = slot.ready] { *ready = true; });
    }

    int32_t handleFor(const hid::DeviceEntry& e) {
        for (size_t i = 0; i < m_slots.size(); ++i) {
            if (m_slots[i].path == e.path) {
                // The node may now be another device of the vendor; remember which, unless
                // the slot waits for its own controller to come back.
                if (!m_slots[i].inUse) {
                    m_slots[i].productId = e.productId;
                    m_slots[i].serial = e.serial;
                }
                return static_cast<int32_t>(i + 1);
            }
        }
        Slot& slot = m_slots.emplace_back();
        slot.path = e.path;
        slot.vendorId = e.vendorId;
        slot.productId = e.productId;
        slot.serial = e.serial;
        return static_cast<int32_t>(m_slots.size());
    }

    Slot* find(int32_t handle) {
        if (handle < 1 || handle > static_cast<int32_t>(m_slots.size()))
            return nullptr;
        return &m_slots[size_t(handle - 1)];
    }

    static bool sameDevice(const Slot& slot, const hid::DeviceEntry& e) {
        return e.vendorId == slot.vendorId && e.productId == slot.productId &&
               e.serial == slot.serial;
    }

    static bool isPresentAt(const Slot& slot, const std::string& path,
                            const std::vector<hid::DeviceEntry>& entries) {
        return std::any_of(entries.begin(), entries.end(), [&](const hid::DeviceEntry& e) {
            return e.path == path && sameDevice(slot, e);
        });
    }

    // A re-plugged controller may come back under a new path while the program still
    // holds its old handle. The handle follows it when exactly one such device sits on a
    // path no handle knows yet; with two candidates it would be a guess, so it fails.
    bool rebind(Slot& slot, const std::vector<hid::DeviceEntry>& entries) {
        std::optional<std::string> found;
        for (const hid::DeviceEntry& e : entries) {
            if (!sameDevice(slot, e) || isKnownPath(e.path) || (found && *found == e.path))
                continue;
            if (found)
                return false;
            found = e.path;
        }
        if (!found)
            return false;
        slot.path = *found;
        return true;
    }

    bool isKnownPath(const std::string& path) const {
        return std::any_of(m_slots.begin(), m_slots.end(),
                           [&](const Slot& s) { return s.path == path; });
    }

    // A failed read means the device is gone (unplugged). It is closed quietly; reads
    // then fail without touching the device until SetupInterface opens it again.
    static void lose(Slot& slot) {
        slot.watch.reset();
        slot.device.reset();
        slot.status = DeviceStatus::Gone;
    }

    std::unique_ptr<hid::Bus> m_bus;
    FdWatch m_onLoop;          // the loop's wait; none: reads wait in waitForReport
    std::vector<Slot> m_slots; // last: their watches end before the rest
};

} // namespace

std::unique_ptr<IPieHid> createHidapiPieHid(std::unique_ptr<hid::Bus> bus) {
    return std::make_unique<HidapiPieHid>(std::move(bus));
}

std::unique_ptr<IPieHid> createHidapiPieHid() {
    return createHidapiPieHid(hid::createHidapiBus());
}

} // namespace kordan
