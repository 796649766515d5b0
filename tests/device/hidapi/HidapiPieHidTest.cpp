#include "device/hidapi/HidapiPieHid.h"

#include "device/Reports.h"

#include <gtest/gtest.h>

#include <deque>
#include <map>

using namespace kordan;
using Bytes = std::vector<uint8_t>;

namespace {

// A scripted bus: device nodes by path that can be plugged, unplugged and fed reports.
struct FakeNode {
    hid::DeviceEntry entry;
    bool present = true, failWrites = false, denied = false;
    int id = 0; // a re-plugged device is a new node: what was opened before stays dead
    int openCount = 0, reads = 0;
    std::vector<int> timeouts;
    std::deque<Bytes> queue;
    std::vector<Bytes> written;
};

struct World {
    std::deque<FakeNode> nodes; // a deque keeps references of earlier nodes valid
    int nextId = 1, enumerations = 0;
    bool enumerateFails = false;

    FakeNode& add(const std::string& path, uint16_t product = 210, uint16_t usagePage = 12,
                  uint16_t usage = 1, std::wstring serial = L"") {
        FakeNode& n = nodes.emplace_back();
        n.id = nextId++;
        n.entry = {path, 0x05F3, product, usagePage, usage, std::move(serial)};
        return n;
    }
    // The node now plugged in at `path`; with `id`, only when it is still that node.
    FakeNode* at(const std::string& path, int id = 0) {
        for (FakeNode& n : nodes)
            if (n.present && n.entry.path == path)
                return id == 0 || n.id == id ? &n : nullptr;
        return nullptr;
    }
    void unplug(const std::string& path) {
        for (FakeNode& n : nodes)
            n.present = n.present && n.entry.path != path;
    }
};

struct FakeDevice : hid::Device {
    FakeDevice(World& w, FakeNode& n) : world(w), path(n.entry.path), id(n.id) { ++n.openCount; }
    ~FakeDevice() override {
        if (FakeNode* n = world.at(path, id))
            --n->openCount;
    }
    int read(std::span<uint8_t> buffer, int timeoutMs) override {
        FakeNode* n = world.at(path, id);
        if (!n || (++n->reads, n->timeouts.push_back(timeoutMs), n->queue.empty()))
            return n ? 0 : -1;
        const size_t len = std::min(n->queue.front().size(), buffer.size());
        std::copy_n(n->queue.front().begin(), len, buffer.begin());
        n->queue.pop_front();
        return int(len);
    }
    int write(std::span<const uint8_t> report) override {
        FakeNode* n = world.at(path, id);
        if (!n || n->failWrites)
            return -1;
        return n->written.emplace_back(report.begin(), report.end()), int(report.size());
    }
    World& world;
    std::string path;
    int id;
};

struct FakeBus : hid::Bus {
    explicit FakeBus(World& w) : world(w) {}
    bool enumerate(uint16_t vendorId, std::vector<hid::DeviceEntry>& out) override {
        ++world.enumerations;
        out.clear();
        for (const FakeNode& n : world.nodes)
            if (n.present && n.entry.vendorId == vendorId && !world.enumerateFails)
                out.push_back(n.entry);
        return !world.enumerateFails;
    }
    std::unique_ptr<hid::Device> open(const std::string& path, bool& denied) override {
        FakeNode* n = world.at(path);
        denied = n && n->denied;
        return n && !denied ? std::make_unique<FakeDevice>(world, *n) : nullptr;
    }
    World& world;
};

class HidapiPieHidTest : public ::testing::Test {
protected:
    World world; // declared first: the library's open devices look it up when closed
    std::unique_ptr<IPieHid> lib = createHidapiPieHid(std::make_unique<FakeBus>(world));
    DeviceInfoTable info{};
    int32_t count = -1;
    InputReport r{};

    int32_t enumerate() {
        EXPECT_EQ(lib->EnumeratePIE(kVendorId, info, count), 0);
        return count;
    }
    // Handle of the table row whose device sits at `path`, 0 when not listed.
    int32_t handleOf(const std::string& path) {
        DeviceInfoTable i{};
        int32_t c = 0, row = 0;
        lib->EnumeratePIE(kVendorId, i, c);
        std::map<std::string, int32_t> byPath;
        for (const FakeNode& n : world.nodes)
            if (n.present && row < c)
                byPath[n.entry.path] = i[4 * row++ + 3];
        return byPath.count(path) ? byPath[path] : 0;
    }
    // Opens the device at `path` and returns its handle.
    int32_t opened(const std::string& path) {
        const int32_t h = handleOf(path);
        EXPECT_EQ(lib->SetupInterface(h), 0) << path;
        return h;
    }
    // The first byte of the report read, -1 when none was.
    int read(int32_t h) { return lib->ReadData(h, r) == 0 ? r[1] : -1; }
};

Bytes rawReport(uint8_t fill) {
    return Bytes(14, fill);
}

} // namespace

TEST_F(HidapiPieHidTest, EnumerationListsTheVendorsDevicesFourEntriesEach) {
    world.add("/dev/hidraw3", 210, 12, 1);
    world.add("/dev/hidraw4", 211, 1, 6);
    world.add("/dev/hidraw4", 211, 12, 1); // a second collection of the same node
    info.fill(-7);
    ASSERT_EQ(enumerate(), 3);
    EXPECT_EQ((std::vector<int32_t>(info.begin(), info.begin() + 7)),
              (std::vector<int32_t>{210, 1, 12, info[3], 211, 6, 1}));
    EXPECT_TRUE(info[3] > 0 && info[3] != info[7]);
    EXPECT_EQ(info[7], info[11]) << "collections of one node share its handle";
    EXPECT_EQ(std::tuple(info[12], info[100]), std::tuple(0, 0))
        << "rows past the devices are cleared";
    // Vendor 0 would mean every vendor to hidapi: such ids list nothing without asking.
    world.enumerations = 0;
    for (int32_t vid : {0, -1, 0x10000, 0x1234}) {
        EXPECT_EQ(lib->EnumeratePIE(vid, info, count), 0) << vid;
        EXPECT_EQ(count, 0) << vid;
        EXPECT_EQ(world.enumerations, int(vid == 0x1234)) << vid;
    }
    world.enumerateFails = true;
    EXPECT_NE(lib->EnumeratePIE(kVendorId, info, count), 0);
    EXPECT_EQ(count, 0);
}

TEST_F(HidapiPieHidTest, HandlesStayWithTheirPathAndStaySmall) {
    world.add("/dev/hidraw1");
    world.add("/dev/hidraw2");
    int32_t a = handleOf("/dev/hidraw1"), b = handleOf("/dev/hidraw2");
    ASSERT_TRUE(a > 0 && b > 0 && a != b);
    // Listed the other way round, with one device gone and a new one added.
    std::swap(world.nodes[0], world.nodes[1]);
    world.unplug("/dev/hidraw1");
    world.add("/dev/hidraw5");
    EXPECT_EQ(handleOf("/dev/hidraw2"), b);
    int32_t c = handleOf("/dev/hidraw5");
    EXPECT_TRUE(c > 0 && c != a && c != b && c <= 3) << c;

    world.nodes.clear();
    for (int i = 0; i < 30; ++i)
        world.add("/dev/hidraw" + std::to_string(i), uint16_t(1000 + i));
    info.fill(-7);
    ASSERT_EQ(enumerate(), kMaxDevices);
    EXPECT_EQ(info[4 * 24], 1024);
    EXPECT_EQ(info[100], 0) << "the last entry belongs to no device";
    EXPECT_NE(lib->SetupInterface(26), 0) << "an unlisted device got no handle";
}

TEST_F(HidapiPieHidTest, ReportsKeepTheFifteenByteLayoutAndTheNewestWins) {
    FakeNode& node = world.add("/dev/hidraw0");
    int32_t h = handleOf("/dev/hidraw0");
    EXPECT_EQ(read(h), -1) << "not opened yet";
    ASSERT_EQ(lib->SetupInterface(h), 0);
    EXPECT_EQ(read(h), -1) << "nothing queued";
    // hidapi's bytes come without the id byte: levers 1-7, then buttons 1-8 ... 41-44.
    node.queue.push_back({11, 22, 33, 44, 55, 66, 77, 0x01, 0, 0, 0, 0, 0x08, 0xEE});
    r.fill(0xAA);
    ASSERT_EQ(lib->ReadData(h, r), 0);
    for (int lever = 1; lever <= kLevers; ++lever)
        EXPECT_EQ(leverRaw(r, lever), 11 * lever);
    EXPECT_TRUE(buttonPressed(r, 1) && buttonPressed(r, 44) && !buttonPressed(r, 2));
    EXPECT_TRUE(r[0] == 0 && r[14] == 0xEE);
    // A short report leaves nothing of the previous one; a long one is cut.
    node.queue.push_back({5, 6});
    ASSERT_EQ(lib->ReadData(h, r), 0);
    EXPECT_EQ((InputReport{0, 5, 6}), r);
    node.queue.push_back(Bytes(64, 9));
    ASSERT_EQ(lib->ReadData(h, r), 0);
    EXPECT_TRUE(r[0] == 0 && r[14] == 9);
    // The queue is drained; the older reports are not handed out later.
    node.queue = {rawReport(1), rawReport(2), rawReport(3)};
    EXPECT_EQ(read(h), 3);
    EXPECT_EQ(read(h), -1);
    EXPECT_EQ(node.timeouts, std::vector<int>(node.timeouts.size(), 0)) << "ReadData never waits";
}

TEST_F(HidapiPieHidTest, WaitForReportKeepsTheReportForTheNextRead) {
    FakeNode& node = world.add("/dev/hidraw0");
    EXPECT_FALSE(lib->waitForReport(handleOf("/dev/hidraw0"), 10)) << "nothing before opening";
    int32_t h = opened("/dev/hidraw0");
    EXPECT_TRUE(lib->waitForReport(h, 10)) << "it waited, even though nothing came";
    EXPECT_EQ(node.timeouts.back(), 10);
    EXPECT_TRUE(lib->waitForReport(h, -5));
    EXPECT_EQ(node.timeouts.back(), 0) << "a negative wait would block for ever";

    node.queue = {rawReport(1)};
    EXPECT_TRUE(lib->waitForReport(h, 10));
    const int reads = node.reads;
    EXPECT_TRUE(lib->waitForReport(h, 10)) << "a kept report ends the wait at once";
    EXPECT_EQ(node.reads, reads);
    EXPECT_EQ(read(h), 1);
    // A report kept by the wait yields to newer ones.
    node.queue = {rawReport(4), rawReport(5)};
    EXPECT_TRUE(lib->waitForReport(h, 10));
    EXPECT_EQ(read(h), 5);
    // Closing drops a kept report.
    node.queue = {rawReport(6)};
    EXPECT_TRUE(lib->waitForReport(h, 10));
    lib->CloseInterface(h);
    ASSERT_EQ(lib->SetupInterface(h), 0);
    EXPECT_EQ(read(h), -1);
}

TEST_F(HidapiPieHidTest, WritesAndUnknownHandlesAndReopening) {
    FakeNode& node = world.add("/dev/hidraw0");
    int32_t h = handleOf("/dev/hidraw0");
    for (int32_t bad : {0, -1, 2, 1000}) {
        EXPECT_TRUE(lib->SetupInterface(bad) != 0 && read(bad) == -1 &&
                    lib->WriteData(bad, speakerReport(true)) != 0 && !lib->waitForReport(bad, 10))
            << bad;
        lib->CloseInterface(bad);
    }
    EXPECT_NE(lib->WriteData(h, speakerReport(true)), 0) << "not opened";
    ASSERT_EQ(lib->SetupInterface(h), 0);
    ASSERT_EQ(lib->SetupInterface(h), 0);
    EXPECT_EQ(node.openCount, 1) << "opening twice does not leak the first device";
    EXPECT_EQ(lib->WriteData(h, displayReport(0x3F, 0x06, 0x80)), 0);
    EXPECT_EQ(node.written, (std::vector<Bytes>{{0, 134, 0x3F, 0x06, 0x80, 0, 0, 0}}));
    node.failWrites = true;
    EXPECT_NE(lib->WriteData(h, speakerReport(false)), 0);
    lib->CloseInterface(h);
    EXPECT_EQ(node.openCount, 0);
    node.queue = {rawReport(1)};
    EXPECT_EQ(read(h), -1);
    lib->CloseInterface(h); // twice is harmless
}

TEST_F(HidapiPieHidTest, UnpluggedControllerFailsQuietlyAndReopensAfterReplug) {
    world.add("/dev/hidraw2");
    int32_t h = opened("/dev/hidraw2");
    world.unplug("/dev/hidraw2");
    EXPECT_EQ(read(h), -1);
    EXPECT_EQ(lib->status(h), DeviceStatus::Gone);
    EXPECT_FALSE(lib->waitForReport(h, 10)) << "the caller must sleep, not spin";
    EXPECT_NE(lib->WriteData(h, speakerReport(false)), 0);
    EXPECT_NE(lib->SetupInterface(h), 0) << "still unplugged";
    // Back on the same path: the old handle opens it again.
    FakeNode& back = world.add("/dev/hidraw2");
    back.queue = {rawReport(8)};
    EXPECT_EQ(read(h), -1) << "a re-plug alone does not reopen the old device";
    back.denied = true;
    EXPECT_NE(lib->SetupInterface(h), 0);
    EXPECT_EQ(lib->status(h), DeviceStatus::NoAccess);
    back.denied = false;
    ASSERT_EQ(lib->SetupInterface(h), 0);
    EXPECT_EQ(lib->status(h), DeviceStatus::Present);
    EXPECT_EQ(back.openCount, 1);
    EXPECT_EQ(read(h), 8);
}

TEST_F(HidapiPieHidTest, ReplugFollowsTheSerialButNeverGuesses) {
    world.add("/dev/hidraw2", 210, 12, 1, L"A1");
    int32_t h = opened("/dev/hidraw2");
    world.unplug("/dev/hidraw2");
    // Another product took the old path, and a device of another serial appeared.
    FakeNode& other = world.add("/dev/hidraw2", 211, 12, 1, L"A1");
    world.add("/dev/hidraw3", 210, 12, 1, L"B2");
    EXPECT_EQ(handleOf("/dev/hidraw2"), h) << "listed, but still waiting for its own";
    EXPECT_NE(lib->SetupInterface(h), 0);
    EXPECT_EQ(other.openCount, 0);
    // The same serial on a new path, with its second collection.
    FakeNode& moved = world.add("/dev/hidraw6", 210, 12, 1, L"A1");
    world.add("/dev/hidraw6", 210, 1, 4, L"A1");
    EXPECT_EQ(handleOf("/dev/hidraw6"), h) << "the new path is listed under the old handle";
    ASSERT_EQ(lib->SetupInterface(h), 0);
    moved.queue = {rawReport(9)};
    EXPECT_EQ(read(h), 9);

    // Two equal candidates without serial: which one was ours cannot be told.
    world.nodes.clear();
    world.add("/dev/hidraw8");
    int32_t g = opened("/dev/hidraw8");
    world.unplug("/dev/hidraw8");
    world.add("/dev/hidraw9");
    world.add("/dev/hidraw10");
    EXPECT_NE(lib->SetupInterface(g), 0);
}

// The real bus on whatever this machine has plugged in: it must list at most 25 devices,
// hand out only nonzero handles and refuse handle 0, controller or not.
TEST(HidapiPieHidReal, EnumeratesThroughHidapiWithoutHarm) {
    std::unique_ptr<IPieHid> lib = createHidapiPieHid();
    DeviceInfoTable info{};
    int32_t count = -1;
    ASSERT_EQ(lib->EnumeratePIE(kVendorId, info, count), 0);
    EXPECT_TRUE(count >= 0 && count <= kMaxDevices) << count;
    for (int32_t i = 0; i < count; ++i)
        EXPECT_GT(info[4 * i + 3], 0);
    InputReport r{};
    EXPECT_TRUE(lib->SetupInterface(0) != 0 && lib->ReadData(0, r) != 0);
}
