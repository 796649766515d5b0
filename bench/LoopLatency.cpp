// Report to key: the program's polling loop (KordanMain::loopPass) with its hidapi backend,
// over a controller whose reads block on a pipe until a report is written. As in the
// program, the waiting loop rests in its event wait, which also watches the device's node
// (a second pipe gets each report too, as a hidraw node hands every reader its copy). A
// second thread presses and lets go button 1 (which holds the whistle) at random moments;
// the time from writing the report to the key message is measured at the simulator's window.
//
//   kordan_loop_latency [--reports N]
//       four rows: Polling 10 and 1, each with the backend waiting for the report and with
//       a backend that cannot wait (the loop sleeps Polling ms, then reads); the keys are
//       timed in a recording window inside the process.
//   kordan_loop_latency --x11 KEYLOG [--reports N]
//       Polling 10, waiting, the real X11 backend: the keys go to the stand-in, which
//       writes each with its time into KEYLOG (zusi-standin --log KEYLOG --log-times).
//   kordan_loop_latency --bridge BRIDGE_EXE KEYLOG [--reports N]
//       Polling 10, waiting, the keys through kordan-bridge.exe under wine to the test
//       window in front (kordan-testwindow.exe KEYLOG times), which writes each key with
//       its time as Wine tells it (CLOCK_MONOTONIC_RAW); the bridge writes when it read each
//       key's line and when it had posted it into KEYLOG.bridge.read and .posted.
//   kordan_loop_latency --tcp [--reports N]
//       Polling 10, waiting, the whistle as an INPUT over the simulator's TCP interface to
//       a server on the loopback interface, timed as the program hands it to the socket
//       and when the server has read its bytes.
//   --sleep with --x11, --bridge or --tcp: the same road behind the loop that cannot wait
//       (sleeps Polling ms, then reads), as the program's first loop did.
//   kordan_loop_latency --priority
//       the priority the program's threads get here (raised where the user may have it).
// The loop runs at the priority the program gives itself, and so does the thread that
// stands in for the controller (the kernel hands a report on at once); the simulator's side
// runs at normal priority.
#include "BenchRig.h"

#include "device/PieHid.h"
#include "device/hidapi/HidapiPieHid.h"
#include "send/x11/X11SimWindow.h"
#include "sim/bridge/BridgeBackends.h"
#include "sim/bridge/BridgeClient.h"
#include "sim/posix/PosixChildProcess.h"
#include "sim/posix/Priority.h"
#include "sim/zusi3/Zusi3Hex.h"
#include "sim/zusi3/Zusi3Messages.h"
#include "sim/zusi3/posix/PosixTcpSocket.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <mutex>
#include <numeric>
#include <random>
#include <sstream>
#include <thread>
#include <vector>

#include <netinet/in.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace kordan;
using namespace kordan::bench;

namespace {

constexpr size_t kReportBytes = 14; // the report without its (absent) id byte

// One controller whose reports come through a pipe: a read waits on it as hidapi waits
// on the device node; its watch reads its copies from `watchFd`.
class PipeDevice : public hid::Device {
public:
    PipeDevice(int fd, int watchFd) : m_fd(fd), m_watchFd(watchFd) {}
    int read(std::span<uint8_t> buffer, int timeoutMs) override {
        pollfd p{m_fd, POLLIN, 0};
        if (::poll(&p, 1, timeoutMs) <= 0)
            return 0;
        // Reports are written whole and are smaller than the pipe's atomic size.
        ssize_t n = ::read(m_fd, buffer.data(), std::min(buffer.size(), kReportBytes));
        return n < 0 ? -1 : int(n);
    }
    int write(std::span<const uint8_t> report) override { return int(report.size()); }
    std::unique_ptr<hid::Watch> watch(const IPieHid::FdWatch& onLoop,
                                      std::function<void()> ready) override {
        return hid::watchNode("/proc/self/fd/" + std::to_string(m_watchFd), onLoop,
                              std::move(ready));
    }

private:
    int m_fd, m_watchFd;
};

class PipeBus : public hid::Bus {
public:
    PipeBus(int fd, int watchFd) : m_fd(fd), m_watchFd(watchFd) {}
    bool enumerate(uint16_t vendorId, std::vector<hid::DeviceEntry>& out) override {
        out.clear();
        if (vendorId == kVendorId)
            out.push_back({"pipe", uint16_t(kVendorId), uint16_t(kKordanProductId),
                           uint16_t(kKordanUsagePage), 4, L""});
        return true;
    }
    std::unique_ptr<hid::Device> open(const std::string&, bool& denied) override {
        denied = false;
        return std::make_unique<PipeDevice>(m_fd, m_watchFd);
    }

private:
    int m_fd, m_watchFd;
};

// The same library, but one that cannot wait for a report: the loop then sleeps Polling ms
// and reads, as a loop without waiting does.
class CannotWait : public IPieHid {
public:
    explicit CannotWait(IPieHid& inner) : m_in(inner) {}
    int32_t EnumeratePIE(int32_t vid, DeviceInfoTable& info, int32_t& count) override {
        return m_in.EnumeratePIE(vid, info, count);
    }
    int32_t SetupInterface(int32_t h) override { return m_in.SetupInterface(h); }
    int32_t ReadData(int32_t h, InputReport& r) override { return m_in.ReadData(h, r); }
    int32_t WriteData(int32_t h, const OutputReport& r) override { return m_in.WriteData(h, r); }
    void CloseInterface(int32_t h) override { m_in.CloseInterface(h); }
    DeviceStatus status(int32_t h) override { return m_in.status(h); }
    bool followsPlugging() const override { return m_in.followsPlugging(); }

private:
    IPieHid& m_in;
};

struct KeyEvent {
    int64_t ns;
    bool down;
};

// A simulator window that times each key message once it has been handed on.
class TimingSimWindow : public ISimWindow {
public:
    explicit TimingSimWindow(ISimWindow& inner) : m_in(inner) {}
    WindowHandle foregroundWindow() override { return m_in.foregroundWindow(); }
    std::string windowTitle(WindowHandle w) override { return m_in.windowTitle(w); }
    void postKey(WindowHandle w, uint32_t message, int32_t virtualKey) override {
        m_in.postKey(w, message, virtualKey);
        if (virtualKey == kWhistleKey)
            m_posted.push_back(message == 256);
        if (m_holding == 0)
            stamp();
    }
    void typeKeys(const std::string& keys) override { m_in.typeKeys(keys); }
    // A report's keys are handed on when its batch ends.
    void beginKeys() override {
        ++m_holding;
        m_in.beginKeys();
    }
    void endKeys() override {
        m_in.endKeys();
        if (--m_holding == 0)
            stamp();
    }
    std::vector<KeyEvent> keys;

private:
    void stamp() {
        const int64_t ns = nowNs();
        for (bool down : m_posted)
            keys.push_back({ns, down});
        m_posted.clear();
    }
    ISimWindow& m_in;
    std::vector<bool> m_posted; // whistle keys posted, not yet handed on
    int m_holding = 0;
};

struct Stats {
    double p50, p90, p99, max, mean; // microseconds
    size_t n;
};

Stats stats(std::vector<double> us) {
    std::sort(us.begin(), us.end());
    auto at = [&](double q) { return us[std::min(us.size() - 1, size_t(q * double(us.size())))]; };
    double mean = std::accumulate(us.begin(), us.end(), 0.0) / double(us.size());
    return {at(0.50), at(0.90), at(0.99), us.back(), mean, us.size()};
}

// Writes `count` reports, button 1 pressed and let go in turn, each after a random pause
// of 15-45 ms: anywhere in the loop's pauses, but never two within one of them, where the
// loop would keep only the newer.
std::vector<KeyEvent> writeReports(int fd, int watchFd, int count, unsigned seed) {
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> pauseUs(15000, 45000);
    std::vector<KeyEvent> written;
    std::array<uint8_t, kReportBytes> data{};
    for (int i = 0; i < count; ++i) {
        std::this_thread::sleep_for(std::chrono::microseconds(pauseUs(random)));
        const bool down = i % 2 == 0;
        data[7] = down ? 1 : 0; // report byte 8, bit 0: button 1
        written.push_back({nowNs(), down});
        if (::write(fd, data.data(), data.size()) != ssize_t(data.size()) ||
            ::write(watchFd, data.data(), data.size()) != ssize_t(data.size()))
            throw std::runtime_error("pipe write failed");
    }
    return written;
}

// Pairs each key with the report that caused it: the latest one of its kind written before
// it. Two reports within one of the loop's pauses (a stall of the loaded machine) leave the
// loop only the newer state, so fewer keys than reports may arrive; `n` shows how many
// did. A key without such a report (one of an earlier run still in a log) is left out.
std::vector<double> pair(const std::vector<KeyEvent>& written, const std::vector<KeyEvent>& keys) {
    std::vector<double> us;
    size_t from = 0;
    for (size_t i = 0; i < keys.size(); ++i) {
        size_t cause = written.size();
        for (size_t j = from; j < written.size() && written[j].ns <= keys[i].ns; ++j)
            if (written[j].down == keys[i].down)
                cause = j;
        if (cause == written.size())
            continue;
        us.push_back(double(keys[i].ns - written[cause].ns) / 1000.0);
        from = cause + 1;
    }
    if (us.size() < written.size() * 9 / 10)
        throw std::runtime_error(std::to_string(written.size()) + " reports written, " +
                                 std::to_string(us.size()) + " keys arrived");
    return us;
}

// The whistle's inputs in a message from the program, each timed `at`.
void takeWhistles(const zusi3::Node& message, int64_t at, std::vector<KeyEvent>& into) {
    if (const zusi3::Node* in = message.child(zusi3::kInput))
        for (const zusi3::Node& key : in->children)
            if (zusi3::asWord(*key.attribute(1)) == 0x0C) // Pfeife
                into.push_back({at, zusi3::asWord(*key.attribute(3)) == zusi3::AktionDown});
}

// The program's socket, timing each input of the whistle as the program hands it over: the
// hop before the server's own wake-up.
class TimedSocket : public ITcpSocket {
public:
    explicit TimedSocket(ITcpSocket& inner) : m_in(inner) {}
    void connect(const std::string& host, uint16_t port) override { m_in.connect(host, port); }
    State state() override { return m_in.state(); }
    ptrdiff_t send(const uint8_t* data, size_t size) override {
        const int64_t at = nowNs();
        const ptrdiff_t n = m_in.send(data, size);
        if (n > 0) {
            m_decoder.feed(data, size_t(n));
            while (auto m = m_decoder.next())
                takeWhistles(*m, at, keys);
        }
        return n;
    }
    ptrdiff_t receive(uint8_t* buffer, size_t size) override { return m_in.receive(buffer, size); }
    void close() override { m_in.close(); }
    Failure failure() const override { return m_in.failure(); }
    std::vector<KeyEvent> keys; // on the loop's thread, read once it has ended

private:
    ITcpSocket& m_in;
    zusi3::StreamDecoder m_decoder;
};

// The simulator's TCP interface on the loopback interface, as far as the loop needs it: it
// answers the handshake and times each input of the whistle once it has read its bytes.
class LoopbackServer {
public:
    LoopbackServer() {
        m_listen = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (m_listen < 0 || ::bind(m_listen, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
            ::listen(m_listen, 1) != 0 ||
            ::getsockname(m_listen, reinterpret_cast<sockaddr*>(&address), &length) != 0)
            throw std::runtime_error("no loopback server");
        port = ntohs(address.sin_port);
        m_thread = std::thread([this] { serve(); });
    }
    ~LoopbackServer() {
        ::shutdown(m_listen, SHUT_RDWR); // ends a wait for the connection
        m_thread.join();
        ::close(m_listen);
    }
    std::vector<KeyEvent> keys() {
        std::lock_guard lock(m_mutex);
        return m_keys;
    }
    uint16_t port = 0;

private:
    void serve() {
        setpriority(PRIO_PROCESS, 0, 0); // the simulator's side, at normal priority
        const int c = ::accept(m_listen, nullptr, nullptr);
        if (c < 0)
            return;
        zusi3::StreamDecoder decoder;
        uint8_t buffer[4096];
        ssize_t n = 0;
        while ((n = ::recv(c, buffer, sizeof buffer, 0)) > 0) {
            const int64_t at = nowNs();
            decoder.feed(buffer, size_t(n));
            while (auto m = decoder.next()) {
                if (m->child(zusi3::kHello))
                    answer(c, test::kAckHello);
                else if (m->child(zusi3::kNeededData))
                    answer(c, test::kAckNeededData);
                else {
                    std::lock_guard lock(m_mutex);
                    takeWhistles(*m, at, m_keys);
                }
            }
        }
        ::close(c);
    }
    static void answer(int c, const zusi3::Bytes& bytes) {
        if (::send(c, bytes.data(), bytes.size(), MSG_NOSIGNAL) != ssize_t(bytes.size()))
            throw std::runtime_error("the loopback server could not answer");
    }
    int m_listen = -1;
    std::thread m_thread;
    std::mutex m_mutex;
    std::vector<KeyEvent> m_keys;
};

// Runs the loop on this thread while another writes the reports; returns what was written
// and when, once the last key has had time to arrive.
struct Pipes {
    int reports, watch; // the write ends
};
std::vector<KeyEvent> runLoop(IPieHid& hid, ISimWindow& window, Pipes pipes, int pollingMs,
                              int reports, Wakeup* wakeup, StartOptions start = {}) {
    Rig rig(hid, window, pollingMs, std::move(start), wakeup);
    rig.whistleOnButton1();
    std::atomic<bool> stop{false};
    std::vector<KeyEvent> written;
    std::thread writer([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200)); // start-up settles
        written =
            writeReports(pipes.reports, pipes.watch, reports, unsigned(pollingMs * 7919 + reports));
        std::this_thread::sleep_for(std::chrono::milliseconds(100 + 2 * pollingMs));
        stop = true;
    });
    while (!stop && rig.main().loopPass()) {
    }
    writer.join();
    return written;
}

void printRow(const char* name, const Stats& s) {
    std::printf("%-44s %9.1f %9.1f %9.1f %9.1f %9.1f %6zu\n", name, s.p50, s.p90, s.p99, s.max,
                s.mean, s.n);
}

void printHeader() {
    std::printf("%-44s %9s %9s %9s %9s %9s %6s\n", "report -> key (us)", "p50", "p90", "p99", "max",
                "mean", "n");
}

// The stand-in's log: "down 72 <ns>" / "up 72 <ns>" per key, with the monotonic time, or
// `shiftNs` before it.
std::vector<KeyEvent> readKeyLog(const std::string& path, int64_t shiftNs = 0) {
    std::vector<KeyEvent> keys;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string what;
        int vk = 0;
        long long ns = 0;
        if (fields >> what >> vk >> ns && vk == kWhistleKey)
            keys.push_back({ns - shiftNs, what == "down"});
    }
    return keys;
}

} // namespace

int main(int argc, char** argv) {
    // As the program does, before any thread: the loop raised where that is granted.
    const bool raised = raiseOwnPriority();
    int reports = 300;
    std::string keyLog, bridgeExe;
    bool sleeping = false, tcp = false;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--priority")) {
            errno = 0;
            const int nice = getpriority(PRIO_PROCESS, 0);
            std::printf(raised ? "the program's threads at nice %d\n"
                               : "the program's threads at nice %d (no raised priority granted)\n",
                        errno ? 0 : nice);
            return 0;
        }
        if (!std::strcmp(argv[i], "--sleep"))
            sleeping = true;
        else if (!std::strcmp(argv[i], "--tcp"))
            tcp = true;
        else if (!std::strcmp(argv[i], "--reports") && i + 1 < argc)
            reports = std::atoi(argv[++i]) / 2 * 2; // every press let go again
        else if (!std::strcmp(argv[i], "--x11") && i + 1 < argc)
            keyLog = argv[++i];
        else if (!std::strcmp(argv[i], "--bridge") && i + 2 < argc)
            bridgeExe = argv[++i], keyLog = argv[++i];
        else
            return std::fprintf(stderr,
                                "usage: %s [--x11 KEYLOG | --bridge EXE KEYLOG | --tcp [--sleep]] "
                                "[--reports N]\n",
                                argv[0]),
                   2;
    }
    int fds[2], watchFds[2];
    if (pipe(fds) != 0 || pipe(watchFds) != 0)
        return std::perror("pipe"), 1;
    const Pipes pipes{fds[1], watchFds[1]};
    Wakeup wakeup;
    std::unique_ptr<IPieHid> hidapi =
        createHidapiPieHid(std::make_unique<PipeBus>(fds[0], watchFds[0]));
    hidapi->watchWith(wakeup.watcher());
    // The loop that cannot wait has a library of its own, which nothing wakes.
    std::unique_ptr<IPieHid> unwatched =
        createHidapiPieHid(std::make_unique<PipeBus>(fds[0], watchFds[0]));
    CannotWait sleeper(*unwatched);
    IPieHid& road = sleeping ? static_cast<IPieHid&>(sleeper) : *hidapi;
    Wakeup* roadWakeup = sleeping ? nullptr : &wakeup;
    const std::string design = sleeping ? "Polling 10, sleep, " : "Polling 10, wait, ";
    try {
        printHeader();
        if (tcp) {
            LoopbackServer server;
            std::unique_ptr<ITcpSocket> socket = makePosixTcpSocket();
            TimedSocket timed(*socket);
            QuietSimWindow quiet;
            StartOptions start;
            start.zusi3.emplace(
                Zusi3Offer{timed, Zusi3Endpoint{"127.0.0.1", server.port}, "bench"});
            std::vector<KeyEvent> written =
                runLoop(road, quiet, pipes, 10, reports, roadWakeup, std::move(start));
            printRow((design + "TCP: INPUT to the socket").c_str(),
                     stats(pair(written, timed.keys)));
            printRow((design + "TCP: INPUT read by the server").c_str(),
                     stats(pair(written, server.keys())));
            return 0;
        }
        if (!bridgeExe.empty()) {
            // The bridge's own times, on Wine's drive Z: (the Linux root).
            const std::string hops = keyLog + ".bridge";
            std::string windowsHops = "Z:" + hops;
            std::replace(windowsHops.begin(), windowsHops.end(), '/', '\\');
            ::setenv("KORDAN_BRIDGE_TIMES", windowsHops.c_str(), 1);
            for (const char* hop : {".read", ".posted"})
                std::remove((hops + hop).c_str()); // an older bridge writes none
            RealClock clock;
            BridgeClient client([&] { return startPosixChild("wine", {bridgeExe}); }, clock, {},
                                BridgeClient::Timing{});
            if (!client.start())
                throw std::runtime_error("the bridge did not start under wine");
            std::unique_ptr<ISimWindow> bridged = makeBridgeSimWindow(client);
            for (int i = 0;
                 i < 100 && bridged->windowTitle(bridged->foregroundWindow()).rfind("Zusi", 0); ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            TimingSimWindow timed(*bridged);
            std::vector<KeyEvent> written = runLoop(road, timed, pipes, 10, reports, roadWakeup);
            std::this_thread::sleep_for(std::chrono::milliseconds(300)); // the log written
            timespec mono{}, raw{};
            clock_gettime(CLOCK_MONOTONIC_RAW, &raw);
            clock_gettime(CLOCK_MONOTONIC, &mono);
            const int64_t rawAhead =
                (int64_t(raw.tv_sec) - mono.tv_sec) * 1'000'000'000 + (raw.tv_nsec - mono.tv_nsec);
            printRow((design + "bridge: key to the pipe").c_str(),
                     stats(pair(written, timed.keys)));
            for (const auto& [hop, name] : {std::pair{".read", "bridge: line read in Wine"},
                                            std::pair{".posted", "bridge: posted in Wine"}}) {
                const std::vector<KeyEvent> keys = readKeyLog(hops + hop, rawAhead);
                if (!keys.empty())
                    printRow((design + name).c_str(), stats(pair(written, keys)));
            }
            printRow((design + "bridge: WM_KEYDOWN in Wine").c_str(),
                     stats(pair(written, readKeyLog(keyLog, rawAhead))));
            return 0;
        }
        if (!keyLog.empty()) {
            std::unique_ptr<ISimWindow> x11 = makeX11SimWindow();
            // Nothing reaches the stand-in until its window has the focus.
            for (int i = 0; i < 100 && x11->windowTitle(x11->foregroundWindow()).rfind("Zusi", 0);
                 ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            TimingSimWindow timed(*x11);
            std::vector<KeyEvent> written = runLoop(road, timed, pipes, 10, reports, roadWakeup);
            std::this_thread::sleep_for(std::chrono::milliseconds(300)); // the log written
            printRow((design + "X11: key handed to X").c_str(), stats(pair(written, timed.keys)));
            printRow((design + "X11: key at stand-in window").c_str(),
                     stats(pair(written, readKeyLog(keyLog))));
            return 0;
        }
        for (int polling : {10, 1}) {
            QuietSimWindow quiet;
            TimingSimWindow waitWindow(quiet), sleepWindow(quiet);
            Stats wait = stats(pair(runLoop(*hidapi, waitWindow, pipes, polling, reports, &wakeup),
                                    waitWindow.keys));
            Stats slept = stats(pair(
                runLoop(sleeper, sleepWindow, pipes, polling, reports, nullptr), sleepWindow.keys));
            std::string name = "Polling " + std::to_string(polling);
            printRow((name + ", wait for the report").c_str(), wait);
            printRow((name + ", sleep then read").c_str(), slept);
            std::printf("%-44s %9.0fx %8.0fx %8.0fx %8.0fx %8.0fx\n",
                        (name + ", sleep / wait").c_str(), slept.p50 / wait.p50,
                        slept.p90 / wait.p90, slept.p99 / wait.p99, slept.max / wait.max,
                        slept.mean / wait.mean);
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "kordan_loop_latency: %s\n", e.what());
        return 1;
    }
    return 0;
}
