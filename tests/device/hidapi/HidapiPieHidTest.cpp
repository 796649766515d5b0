#include "device/hidapi/HidapiPieHid.h"

#include "device/Reports.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <deque>
#include <memory>

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace kordan;
using Bytes = std::vector<uint8_t>;

namespace {

// A scripted bus: device nodes by path that can be plugged, unplugged and fed reports. A
// re-plugged device is a new node: what was opened before stays dead.
struct FakeNode {
    hid::DeviceEntry entry;
    bool present = true, failWrites = false, denied = false;
    int openCount = 0;
    std::vector<int> timeouts{}; // one per read
    std::deque<Bytes> queue{};
    std::vector<Bytes> written{};
    int watches = 0;                  // watches alive
    std::function<void()> ready = {}; // what the loop's wait would call for the last watch
};

struct FakeDevice : hid::Device {
    explicit FakeDevice(std::shared_ptr<FakeNode> n) : node(std::move(n)) { ++node->openCount; }
    ~FakeDevice() override { --node->openCount; }
    int read(std::span<uint8_t> buffer, int timeoutMs) override {
        if (!node->present || (node->timeouts.push_back(timeoutMs), node->queue.empty()))
            return node->present ? 0 : -1;
        const size_t len = std::min(node->queue.front().size(), buffer.size());
        std::copy_n(node->queue.front().begin(), len, buffer.begin());
        node->queue.pop_front();
        return int(len);
    }
    int write(std::span<const uint8_t> report) override {
        if (!node->present || node->failWrites)
            return -1;
        return node->written.emplace_back(report.begin(), report.end()), int(report.size());
    }
    std::unique_ptr<hid::Watch> watch(const IPieHid::FdWatch&,
                                      std::function<void()> ready) override {
        struct Alive : hid::Watch {
            explicit Alive(FakeNode& n) : node(n) { ++node.watches; }
            ~Alive() override { --node.watches; }
            FakeNode& node;
        };
        node->ready = std::move(ready);
        return std::make_unique<Alive>(*node);
    }
    std::shared_ptr<FakeNode> node; // outlives the bus: the library may close devices last
};

struct World : hid::Bus {
    std::vector<std::shared_ptr<FakeNode>> nodes;
    FakeNode& add(const std::string& path, uint16_t product = 210, uint16_t usagePage = 12,
                  uint16_t usage = 1) {
        return *nodes.emplace_back(std::make_shared<FakeNode>(
            FakeNode{.entry = {path, 0x05F3, product, usagePage, usage, {}}}));
    }
    void unplug(const std::string& path) {
        for (auto& n : nodes)
            n->present = n->present && n->entry.path != path;
    }
    bool enumerate(uint16_t vendorId, std::vector<hid::DeviceEntry>& out) override {
        out.clear();
        for (auto& n : nodes)
            if (n->present && n->entry.vendorId == vendorId)
                out.push_back(n->entry);
        return true;
    }
    std::unique_ptr<hid::Device> open(const std::string& path, bool& denied) override {
        denied = false;
        for (auto& n : nodes)
            if (n->present && n->entry.path == path)
                return (denied = n->denied) ? nullptr : std::make_unique<FakeDevice>(n);
        return nullptr;
    }
};

class HidapiPieHidTest : public ::testing::Test {
protected:
    std::unique_ptr<World> bus = std::make_unique<World>();
    World& world = *bus;
    std::unique_ptr<IPieHid> lib = createHidapiPieHid(std::move(bus));
    DeviceInfoTable info{};
    int32_t count = -1;
    InputReport r{};
    // Handle of the table row whose device sits at `path`, 0 when not listed.
    int32_t handleOf(const std::string& path) {
        DeviceInfoTable i{};
        int32_t c = 0, row = 0;
        lib->EnumeratePIE(kVendorId, i, c);
        for (auto& n : world.nodes)
            if (n->present && row++ < c && n->entry.path == path)
                return i[4 * row - 1];
        return 0;
    }
    int32_t opened(const std::string& path) {
        const int32_t h = handleOf(path);
        EXPECT_EQ(lib->SetupInterface(h), 0) << path;
        return h;
    }
    // The first byte of the report read, -1 when none was.
    int read(int32_t h) { return lib->ReadData(h, r) == 0 ? r[1] : -1; }
    static Bytes rawReport(uint8_t fill) { return Bytes(14, fill); }
};

} // namespace

TEST_F(HidapiPieHidTest, EnumerationListsTheVendorsDevicesFourEntriesEach) {
    world.add("/dev/hidraw3", 210, 12, 1);
    world.add("/dev/hidraw4", 211, 1, 6);
    world.add("/dev/hidraw4", 211, 12, 1); // a second collection of the same node
    ASSERT_EQ(lib->EnumeratePIE(kVendorId, info, count), 0);
    ASSERT_EQ(count, 3);
    EXPECT_EQ((std::vector<int32_t>(info.begin(), info.begin() + 7)),
              (std::vector<int32_t>{210, 1, 12, info[3], 211, 6, 1}));
    // Collections of one node share its handle.
    EXPECT_GT(info[3], 0);
    EXPECT_NE(info[3], info[7]);
    EXPECT_EQ(info[7], info[11]);
}

TEST_F(HidapiPieHidTest, ReportsKeepTheFifteenByteLayoutAndTheNewestWins) {
    FakeNode& node = world.add("/dev/hidraw0");
    const int32_t h = opened("/dev/hidraw0");
    // hidapi's bytes come without the id byte: levers 1-7, then buttons 1-8 ... 41-44.
    node.queue.push_back({11, 22, 33, 44, 55, 66, 77, 0x01, 0, 0, 0, 0, 0x08, 0xEE});
    r.fill(0xAA);
    ASSERT_EQ(lib->ReadData(h, r), 0);
    EXPECT_EQ(r, (InputReport{0, 11, 22, 33, 44, 55, 66, 77, 0x01, 0, 0, 0, 0, 0x08, 0xEE}));
    // The queue is drained; the older reports are not handed out later.
    node.queue = {rawReport(1), rawReport(2), rawReport(3)};
    EXPECT_EQ(read(h), 3) << "the newest";
    EXPECT_EQ(read(h), -1) << "the older ones are gone";
    EXPECT_EQ(node.timeouts, std::vector<int>(node.timeouts.size(), 0)) << "ReadData never waits";
}

TEST_F(HidapiPieHidTest, UnopenedRefusesOpenedWaitsWritesAndCloses) {
    FakeNode& node = world.add("/dev/hidraw0");
    int32_t h = handleOf("/dev/hidraw0");
    EXPECT_NE(lib->WriteData(h, speakerReport(true)), 0) << "not opened";
    EXPECT_FALSE(lib->waitForReport(h, 10)) << "not opened";
    ASSERT_EQ(lib->SetupInterface(h), 0);
    // It waited, even though nothing came; a negative wait would block for ever.
    EXPECT_TRUE(lib->waitForReport(h, 10));
    EXPECT_TRUE(lib->waitForReport(h, -5));
    EXPECT_EQ(node.timeouts, (std::vector<int>{10, 0}));
    node.queue = {rawReport(1)};
    EXPECT_TRUE(lib->waitForReport(h, 10));
    EXPECT_EQ(read(h), 1) << "the report the wait read";
    EXPECT_EQ(lib->WriteData(h, displayReport(0x3F, 0x06, 0x80)), 0);
    EXPECT_EQ(node.written, (std::vector<Bytes>{{0, 134, 0x3F, 0x06, 0x80, 0, 0, 0}}));
    node.failWrites = true;
    EXPECT_NE(lib->WriteData(h, speakerReport(false)), 0);
    lib->CloseInterface(h);
    EXPECT_EQ(node.openCount, 0);
}

TEST_F(HidapiPieHidTest, UnpluggedControllerFailsQuietlyAndReopensAfterReplug) {
    world.add("/dev/hidraw2");
    int32_t h = opened("/dev/hidraw2");
    world.unplug("/dev/hidraw2");
    EXPECT_FALSE(lib->waitForReport(h, 10)) << "the caller must sleep, not spin";
    EXPECT_EQ(read(h), -1);
    EXPECT_EQ(lib->status(h), DeviceStatus::Gone);
    EXPECT_NE(lib->SetupInterface(h), 0);
    // Back on the same path: the old handle opens it again.
    FakeNode& back = world.add("/dev/hidraw2");
    back.queue = {rawReport(8)};
    EXPECT_EQ(read(h), -1) << "a re-plug alone does not reopen the old device";
    EXPECT_EQ(lib->status(h), DeviceStatus::Gone) << "a handle a loss closed reads as lost";
    back.denied = true;
    EXPECT_EQ(lib->check(h).status, DeviceStatus::NoAccess);
    EXPECT_NE(lib->SetupInterface(h), 0);
    EXPECT_EQ(lib->status(h), DeviceStatus::NoAccess);
    back.denied = false;
    ASSERT_EQ(lib->SetupInterface(h), 0);
    EXPECT_EQ(lib->status(h), DeviceStatus::Present);
    EXPECT_EQ(read(h), 8);
}

// Where the loop's wait watches it, an open controller is not waited for by a read: no read
// holds the loop, a report is handed over once, and closing or losing the device ends the
// watch.
TEST_F(HidapiPieHidTest, AWatchedControllerWakesTheLoopAndItsWatchEndsWithTheDevice) {
    FakeNode& node = world.add("/dev/hidraw0");
    lib->watchWith([](int, std::function<bool()>) { return std::shared_ptr<void>(); });
    int32_t h = opened("/dev/hidraw0");
    ASSERT_EQ(node.watches, 1);
    EXPECT_FALSE(lib->waitForReport(h, 10));
    EXPECT_TRUE(node.timeouts.empty()) << "no read waited";
    node.queue = {rawReport(3)};
    node.ready();
    EXPECT_TRUE(lib->waitForReport(h, 10));
    EXPECT_EQ(read(h), 3);
    EXPECT_FALSE(lib->waitForReport(h, 10)) << "handed over once";
    lib->CloseInterface(h);
    EXPECT_EQ(node.watches, 0) << "closed";
    h = opened("/dev/hidraw0");
    world.unplug("/dev/hidraw0");
    node.ready(); // the node's end
    EXPECT_TRUE(lib->waitForReport(h, 10));
    EXPECT_EQ(read(h), -1);
    EXPECT_EQ(node.watches, 0) << "lost";
}

// The loop's watch of a node read like a hidraw node (here a FIFO): a report is told and
// its copy dropped, the node's end is told and ends the watching, and a destroyed watch is
// no longer watched.
TEST(NodeWatch, TellsReportsAndTheNodesEndAndStopsWhenDestroyed) {
    char dir[] = "/tmp/kordan-watch-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    const std::string path = std::string(dir) + "/node";
    ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
    struct Watched {
        int fd;
        std::function<bool()> ready;
        bool on = true;
    };
    std::vector<std::shared_ptr<Watched>> loop; // what the loop's wait watches
    const IPieHid::FdWatch onLoop = [&loop](int fd, std::function<bool()> ready) {
        auto w = std::make_shared<Watched>(Watched{fd, std::move(ready)});
        loop.push_back(w);
        return std::shared_ptr<void>(w.get(), [&loop, w](void*) { std::erase(loop, w); });
    };
    auto pass = [&] { // one wait of the loop
        pollfd p{loop.at(0)->fd, POLLIN, 0};
        if (loop[0]->on && ::poll(&p, 1, 10000) > 0 && !loop[0]->ready())
            loop[0]->on = false;
    };
    int told = 0;
    auto watch = hid::watchNode(path, onLoop, [&] { ++told; });
    ASSERT_NE(watch, nullptr);
    ASSERT_EQ(loop.size(), 1u);
    const int writer = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(writer, 0);
    ASSERT_EQ(::write(writer, "report", 6), 6);
    pass();
    EXPECT_EQ(told, 1);
    pollfd after{loop[0]->fd, POLLIN, 0};
    EXPECT_EQ(::poll(&after, 1, 0), 0) << "the copy was dropped";
    ::close(writer);
    pass();
    EXPECT_EQ(told, 2);
    EXPECT_FALSE(loop[0]->on) << "the node's end ends the watching";
    watch.reset();
    EXPECT_TRUE(loop.empty());
    std::remove(path.c_str());
    ::rmdir(dir);
}
