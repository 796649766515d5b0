// The backends of a POSIX system: the simulator runs under Wine, its Windows paths lie below
// the Wine prefix, its window, registry and editor are reached through the bridge or X11.
#include "app/SystemBackends.h"

#include "app/QtPlatform.h"
#include "common/WinePaths.h"
#include "sim/bridge/BridgeBackends.h"
#include "sim/bridge/BridgeClient.h"
#include "sim/bridge/BridgeLocation.h"
#include "sim/posix/PosixChildProcess.h"
#include "sim/posix/PosixProcessStarter.h"
#include "sim/posix/Priority.h"
#include "sim/winereg/WineRegistry.h"
#include "sim/zusi3/posix/PosixTcpSocket.h"
#if defined(KORDAN_HAVE_X11)
#include "send/x11/X11SimWindow.h"
#endif
#if defined(KORDAN_HAVE_HIDAPI)
#include "device/hidapi/HidapiPieHid.h"
#endif

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QStandardPaths>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace kordan {

namespace {

// Set by SIGTERM, SIGINT or SIGHUP: the program then ends as when its window is closed.
volatile std::sig_atomic_t g_terminate = 0;
// A pipe the event loop watches, so a signal is handled at the loop's next pass and inside
// any modal dialog's loop, not only when a timer comes round.
int g_wakePipe[2] = {-1, -1};

extern "C" void requestTermination(int) {
    g_terminate = 1;
    const int saved = errno;
    const char byte = 1;
    if (g_wakePipe[1] >= 0 && ::write(g_wakePipe[1], &byte, 1) < 0) {
        // full: a wake is pending anyway
    }
    errno = saved;
}

#if !defined(KORDAN_HAVE_X11)
// Where no window system backend is built, the simulator is simply never found.
class NoWindowSystem : public ISimWindow {
public:
    WindowHandle foregroundWindow() override { return 0; }
    std::string windowTitle(WindowHandle) override { return {}; }
    void postKey(WindowHandle, uint32_t, int32_t) override {}
    void typeKeys(const std::string&) override {}
};
#endif

// The bridge and the clock its restarts are timed by.
struct BridgeWay {
    QtClock clock;
    std::unique_ptr<BridgeClient> client;
};

// Under Wine the simulator is reached from inside its prefix through kordan-bridge.exe, as
// the program reaches it on Windows. Without wine or the bridge (or with "--delivery x11")
// X11 and user.reg stand in, as they do for a prefix Wine has not set up (the stand-in's);
// "bridge" insists on it. False when it was insisted on and could not be started.
bool chooseDelivery(Backends& b, const std::optional<std::string>& forced) {
    const char* path = std::getenv("PATH");
    const std::string program = findBridgeProgram(
        QCoreApplication::applicationDirPath().toStdString(), KORDAN_BRIDGE_BUILT_AT);
    const auto prefix = winePrefixFromEnvironment();
    std::error_code ec;
    std::string why;
    if (forced == "x11")
        why = "so verlangt (--delivery x11)";
    else if (!inSearchPath("wine", path ? path : ""))
        why = "wine nicht gefunden";
    else if (!prefix || !std::filesystem::exists(*prefix / "system.reg", ec))
        why = "kein Wine-Prefix"; // wine would make one: no simulator there yet
    else if (program.empty())
        why = "kordan-bridge.exe nicht gefunden";
    if (why.empty()) {
        auto way = std::make_shared<BridgeWay>();
        way->client = std::make_unique<BridgeClient>(
            [program] { return startPosixChild("wine", {program}); }, way->clock,
            [&b](const std::string& line) {
                if (b.logLine)
                    b.logLine(line);
            },
            BridgeClient::Timing{});
        if (way->client->start()) {
            b.window = makeBridgeSimWindow(*way->client);
            b.registry = makeBridgeRegistry(*way->client);
            b.starter = makeBridgeProcessStarter(*way->client);
            b.delivery = "Brücke: " + program + " unter wine";
            b.way = std::move(way);
            return true;
        }
        why = "kordan-bridge.exe startet nicht unter wine";
    }
    if (forced == "bridge") {
        std::fprintf(stderr, "kordan: --delivery bridge: %s\n", why.c_str());
        return false;
    }
#if defined(KORDAN_HAVE_X11)
    b.window = makeX11SimWindow();
#else
    b.window = std::make_unique<NoWindowSystem>();
#endif
    b.registry = makeWineRegistry();
    b.platformStarter = makePosixProcessStarter();
    b.starter = std::make_unique<WineProcessStarter>(*b.platformStarter);
    b.delivery = "X11 und user.reg (" + why + ")";
    b.deliveryNotes.push_back("Tasten über X11, Registry aus user.reg: " + why);
    return true;
}

} // namespace

QString defaultProgramDir() {
    // An installed program's own directory is not writable: the user's data directory.
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}

std::unique_ptr<Backends> makeBackends(const std::optional<std::string>& delivery) {
    auto b = std::make_unique<Backends>();
#if defined(KORDAN_HAVE_HIDAPI)
    b->controllers = createHidapiPieHid();
    b->hidapiVersion = hidapiVersion();
#endif
    auto prefix = b->winePrefix = winePrefixFromEnvironment();
    b->mapSimPath = prefix ? winePathMapper(*prefix)
                           : PathMapper([](const std::string&) { return std::string(); });
    b->settings = std::make_unique<QtSettings>();
    b->socket = makePosixTcpSocket();
    b->programDir = defaultProgramDir().toStdString();
    if (!chooseDelivery(*b, delivery))
        return nullptr;
    return b;
}

void raiseProgramPriority() {
    raiseOwnPriority(); // where none is granted, the program runs as before
}

void catchTerminationSignals() {
    if (::pipe2(g_wakePipe, O_NONBLOCK | O_CLOEXEC) != 0)
        g_wakePipe[0] = g_wakePipe[1] = -1;
    for (int sig : {SIGTERM, SIGINT, SIGHUP})
        std::signal(sig, requestTermination);
}

bool terminationRequested() {
    return g_terminate != 0;
}

std::unique_ptr<QObject> wakeOnTermination(std::function<void()> onSignal) {
    if (g_wakePipe[0] < 0)
        return nullptr;
    auto wake = std::make_unique<QSocketNotifier>(g_wakePipe[0], QSocketNotifier::Read);
    QObject::connect(wake.get(), &QSocketNotifier::activated, [onSignal = std::move(onSignal)] {
        char drained[64];
        while (::read(g_wakePipe[0], drained, sizeof drained) > 0) {
        }
        onSignal();
    });
    return wake;
}

} // namespace kordan
