// The composition root: chooses the platform backends and wires them to the main window.
#include "app/CommandLine.h"
#include "app/Diagnostics.h"
#include "app/KordanMain.h"
#include "app/ProfileSession.h"
#include "app/QtDialogs.h"
#include "app/QtPlatform.h"
#include "app/Scenario.h"
#include "app/SheetPainter.h"
#include "app/frmKordan.h"
#include "calibration/ZusiKalibrierung.h"
#include "calibration/frmKalib.h"
#include "common/Paths.h"
#include "common/TextFile.h"
#include "device/VirtualController.h"
#include "device/panel/Segments.h"
#include "device/panel/frmPanel.h"
#include "profile/ZusiProfile.h"
#include "send/SimWindow.h"
#include "send/ZusiSend.h"
#include "sim/ProcessStarter.h"
#include "sim/RegistryBackend.h"
#include "sim/SimPaths.h"
#include "sim/ZusiRegistry.h"
#include "sim/zusi3/Zusi3Settings.h"

#if defined(_WIN32)
#include "common/win32/Win32Settings.h"
#include "device/win32/PieHidDll.h"
#include "send/win32/Win32SimWindow.h"
#include "sim/win32/Win32ProcessStarter.h"
#include "sim/win32/Win32Registry.h"
#include "sim/zusi3/win32/Win32TcpSocket.h"
#else
#include "common/WinePaths.h"
#include "sim/bridge/BridgeBackends.h"
#include "sim/bridge/BridgeClient.h"
#include "sim/bridge/BridgeLocation.h"
#include "sim/posix/PosixChildProcess.h"
#include "sim/posix/PosixProcessStarter.h"
#include "sim/winereg/WineRegistry.h"
#include "sim/zusi3/posix/PosixTcpSocket.h"
#include <fcntl.h>
#include <unistd.h>
#if defined(KORDAN_HAVE_X11)
#include "send/x11/X11SimWindow.h"
#endif
#if defined(KORDAN_HAVE_HIDAPI)
#include "device/hidapi/HidapiPieHid.h"
#endif
#endif

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QSysInfo>
#include <QTimer>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace {

// Set by SIGTERM, SIGINT or SIGHUP: the program then ends as when its window is closed.
volatile std::sig_atomic_t g_terminate = 0;
#if !defined(_WIN32)
// A pipe the event loop watches, so a signal is handled at the loop's next pass and inside
// any modal dialog's loop, not only when a timer comes round.
int g_wakePipe[2] = {-1, -1};
#endif
extern "C" void requestTermination(int) {
    g_terminate = 1;
#if !defined(_WIN32)
    const int saved = errno;
    const char byte = 1;
    if (g_wakePipe[1] >= 0 && ::write(g_wakePipe[1], &byte, 1) < 0) {
        // full: a wake is pending anyway
    }
    errno = saved;
#endif
}

// From here on a termination signal asks for the normal shutdown; one that came before
// the loop runs is acted on as soon as it does.
void catchTerminationSignals() {
#if !defined(_WIN32)
    if (::pipe2(g_wakePipe, O_NONBLOCK | O_CLOEXEC) != 0)
        g_wakePipe[0] = g_wakePipe[1] = -1;
#endif
    for (int sig : {SIGTERM, SIGINT})
        std::signal(sig, requestTermination);
#ifdef SIGHUP
    std::signal(SIGHUP, requestTermination);
#endif
}

// Where no window system backend is built, the simulator is simply never found.
class NoWindowSystem : public kordan::ISimWindow {
public:
    kordan::WindowHandle foregroundWindow() override { return 0; }
    std::string windowTitle(kordan::WindowHandle) override { return {}; }
    void postKey(kordan::WindowHandle, uint32_t, int32_t) override {}
    void typeKeys(const std::string&) override {}
};

// What the program talks to on this system.
struct Backends {
    std::unique_ptr<kordan::IPieHid> controllers; // real controllers; may be null
    std::unique_ptr<kordan::ISimWindow> window;
    std::unique_ptr<kordan::IRegistryBackend> registry;
    std::unique_ptr<kordan::IProcessStarter> starter;
    std::unique_ptr<kordan::IProcessStarter> platformStarter; // what `starter` wraps, if any
    kordan::PathMapper mapSimPath;
    std::optional<std::filesystem::path> winePrefix;
    std::string hidapiVersion; // "" without hidapi
    std::unique_ptr<kordan::ISettings> settings;
    std::unique_ptr<kordan::ITcpSocket> socket; // to the simulator's TCP interface
    QString programDir;                         // default for the program's directory
    // The way to the simulator this run, in one line for the diagnostics, and the lines
    // about it for the command log (the bridge's restarts go there as they happen).
    std::string delivery;
    std::vector<std::string> deliveryNotes;
    std::function<void(const std::string&)> logLine;
    kordan::QtClock bridgeClock;
    std::unique_ptr<kordan::BridgeClient> bridge; // declared last: ended first, after the keys
};

#if !defined(_WIN32)
// Under Wine the simulator is reached from inside its prefix through kordan-bridge.exe, as
// the program reaches it on Windows. Without wine or the bridge (or with "--delivery x11")
// X11 and user.reg stand in, as they do for a prefix Wine has not set up (the stand-in's);
// "bridge" insists on it. False when it was insisted on and
// could not be started.
bool chooseDelivery(Backends& b, const std::optional<std::string>& forced) {
    const char* path = std::getenv("PATH");
    const std::string program = kordan::findBridgeProgram(
        QCoreApplication::applicationDirPath().toStdString(), KORDAN_BRIDGE_BUILT_AT);
    const auto prefix = kordan::winePrefixFromEnvironment();
    std::error_code ec;
    std::string why;
    if (forced == "x11")
        why = "so verlangt (--delivery x11)";
    else if (!kordan::inSearchPath("wine", path ? path : ""))
        why = "wine nicht gefunden";
    else if (!prefix || !std::filesystem::exists(*prefix / "system.reg", ec))
        why = "kein Wine-Prefix"; // wine would make one: no simulator there yet
    else if (program.empty())
        why = "kordan-bridge.exe nicht gefunden";
    if (why.empty()) {
        b.bridge = std::make_unique<kordan::BridgeClient>(
            [program] { return kordan::startPosixChild("wine", {program}); }, b.bridgeClock,
            [&b](const std::string& line) {
                if (b.logLine)
                    b.logLine(line);
            },
            kordan::BridgeClient::Timing{});
        if (b.bridge->start()) {
            b.window = kordan::makeBridgeSimWindow(*b.bridge);
            b.registry = kordan::makeBridgeRegistry(*b.bridge);
            b.starter = kordan::makeBridgeProcessStarter(*b.bridge);
            b.delivery = "Brücke: " + program + " unter wine";
            return true;
        }
        b.bridge.reset();
        why = "kordan-bridge.exe startet nicht unter wine";
    }
    if (forced == "bridge") {
        std::fprintf(stderr, "kordan: --delivery bridge: %s\n", why.c_str());
        return false;
    }
#if defined(KORDAN_HAVE_X11)
    b.window = kordan::makeX11SimWindow();
#else
    b.window = std::make_unique<NoWindowSystem>();
#endif
    b.registry = kordan::makeWineRegistry();
    b.platformStarter = kordan::makePosixProcessStarter();
    b.starter = std::make_unique<kordan::WineProcessStarter>(*b.platformStarter);
    b.delivery = "X11 und user.reg (" + why + ")";
    b.deliveryNotes.push_back("Tasten über X11, Registry aus user.reg: " + why);
    return true;
}
#endif

// The program's directory unless --dir names one.
QString defaultProgramDir() {
#if defined(_WIN32)
    return QString::fromStdString(kordan::win32ProgramDirectory());
#else
    // An installed program's own directory is not writable: the user's data directory.
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
#endif
}

// A file that comes with the program: installed below share/kordan beside its bin, beside
// the program itself, or in the source tree it was built from; "" when none is there.
std::string shippedPath(const QString& installed, const QString& inSources) {
    const QDir bin(QCoreApplication::applicationDirPath());
    for (const QString& path :
         {bin.filePath(QStringLiteral("../share/kordan/") + installed), bin.filePath(installed),
          QStringLiteral(KORDAN_SOURCE_DIR "/") + inSources})
        if (QFileInfo::exists(path))
            return QDir::cleanPath(path).toStdString();
    return {};
}

Backends makeBackends() {
    Backends b;
#if defined(_WIN32)
    // The simulator runs beside the program: its window, registry and paths are direct.
    b.controllers = kordan::createWin32PieHid();
    b.window = kordan::makeWin32SimWindow();
    b.registry = kordan::makeWin32Registry();
    b.starter = kordan::makeWin32ProcessStarter();
    b.mapSimPath = kordan::identityPathMapper();
    b.settings = kordan::makeWin32Settings();
    b.socket = kordan::makeWin32TcpSocket();
    b.programDir = defaultProgramDir();
#else
    // The simulator runs under Wine: its Windows paths lie below the Wine prefix; its
    // window, registry and editor are reached as chooseDelivery decides.
#if defined(KORDAN_HAVE_HIDAPI)
    b.controllers = kordan::createHidapiPieHid();
    b.hidapiVersion = kordan::hidapiVersion();
#endif
    auto prefix = b.winePrefix = kordan::winePrefixFromEnvironment();
    b.mapSimPath = prefix ? kordan::winePathMapper(*prefix)
                          : kordan::PathMapper([](const std::string&) { return std::string(); });
    b.settings = std::make_unique<kordan::QtSettings>();
    b.socket = kordan::makePosixTcpSocket();
    b.programDir = defaultProgramDir();
#endif
    return b;
}

// The way to the simulator's window, registry and editor; false when the one insisted on
// cannot be had.
bool chooseWay(Backends& b, const std::optional<std::string>& delivery) {
#if !defined(_WIN32)
    return chooseDelivery(b, delivery);
#else
    (void)delivery;
    b.delivery = "Windows";
    return true;
#endif
}

// The TCP interface's line of the system information.
std::string zusi3Text(const std::optional<kordan::Zusi3Endpoint>& endpoint, const char* state) {
    if (!endpoint)
        return {};
    return endpoint->host + ":" + std::to_string(endpoint->port) + ", " + state;
}

// The system information; `found` says whether the delivery has the simulator's window,
// `way` how commands reach the simulator.
std::string diagnostics(Backends& b, kordan::IPieHid* controllers, bool found,
                        const std::string& zusi3, const std::string& way) {
    const QString system = QSysInfo::prettyProductName() + ", " + QSysInfo::kernelType() + " " +
                           QSysInfo::kernelVersion();
    return kordan::diagnosticsText({KORDAN_VERSION, qVersion(), b.hidapiVersion,
                                    system.toStdString(), controllers, b.registry.get(),
                                    b.mapSimPath, b.winePrefix, way, found, zusi3},
                                   std::filesystem::file_time_type::clock::now());
}

} // namespace

int main(int argc, char** argv) {
    // Read before the application object exists: what needs no window works without a display.
    auto parsed = kordan::parseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.error.empty()) {
        std::fprintf(stderr, "kordan: %s\n", parsed.error.c_str());
        return 2;
    }
    const kordan::CommandLine& options = parsed.line;
    if (options.help) {
        std::fputs(kordan::commandLineHelp(), stdout);
        return 0;
    }
    if (options.version) {
        std::puts("kordan " KORDAN_VERSION);
        return 0;
    }
    std::optional<kordan::Zusi3Endpoint> zusi3;
    if (options.zusi3) {
        zusi3 = kordan::parseZusi3Endpoint(*options.zusi3);
        if (!zusi3) {
            std::fprintf(stderr, "kordan: --zusi3 erwartet HOST[:PORT], nicht %s\n",
                         options.zusi3->c_str());
            return 2;
        }
    }
    if (options.diagnose) {
        QCoreApplication app(argc, argv);
        QCoreApplication::setApplicationName(QStringLiteral("ZusiKordan"));
        Backends b = makeBackends();
        if (!chooseWay(b, options.delivery))
            return 2;
        const bool found =
            kordan::ZusiSend(*b.window, kordan::zusiKeyTable(*b.registry)).GetConnect();
        // No connection is tried here: the server the program would use.
        const auto chosen = zusi3 ? zusi3 : kordan::storedZusi3Endpoint(*b.settings);
        std::fputs(diagnostics(b, b.controllers.get(), found, zusi3Text(chosen, "nicht geprüft"),
                               chosen ? kordan::tcpWayText(*chosen) : b.delivery)
                       .c_str(),
                   stdout);
        return 0;
    }
    if (!options.sheetOut.empty()) {
        // Nothing is shown: the offscreen platform gives the fonts, with or without a display.
        qputenv("QT_QPA_PLATFORM", "offscreen");
        QGuiApplication app(argc, argv);
        QGuiApplication::setApplicationName(QStringLiteral("ZusiKordan"));
        // A relative name is looked for in the program's directory too, as --profile's is.
        const QString dir =
            options.dir.empty() ? defaultProgramDir() : QString::fromStdString(options.dir);
        return kordan::runSheetCommand(
            kordan::profileArgumentPath(options.sheetProfile, dir.toStdString()), options.sheetOut,
            options.dir);
    }
    catchTerminationSignals();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("ZusiKordan"));
    QApplication::setApplicationDisplayName(QStringLiteral("Kordan für Zusi"));
    kordan::loadQtGerman();
    Backends backends = makeBackends();
    if (!chooseWay(backends, options.delivery))
        return 2;

    QString dir = options.dir.empty() ? backends.programDir : QString::fromStdString(options.dir);
    QDir().mkpath(dir);
    dir = QDir(dir).absolutePath();

    std::vector<kordan::IPieHid*> libraries;
    if (backends.controllers)
        libraries.push_back(backends.controllers.get());
    kordan::VirtualController virtualController;
    // A second one, plugged in on demand from the panel, to try two controllers.
    kordan::VirtualController secondController;
    secondController.setPlugged(false);
    if (options.virtualController) {
        libraries.push_back(&virtualController);
        libraries.push_back(&secondController);
    }
    kordan::CombinedPieHid hid(libraries);

    kordan::QtClock clock;
    kordan::QtDialogs dialogs;
    // Before the calibration is read: its message must not wait for a click either.
    dialogs.setScripted(options.quitAfterScenario && !options.scenario.empty());
    // The calibration lives in the program's directory (not in whatever directory the
    // program was started from), so it is found again; it is written back at the end.
    kordan::ZusiKalibrierung calibration(dialogs,
                                         kordan::joinPath(dir.toStdString(), "Kalibrierung.dat"));
    kordan::frmKordan window({dialogs, *backends.settings, dir.toStdString()});
    kordan::KordanMain logic({hid, *backends.settings, clock, clock, dialogs, *backends.window,
                              *backends.registry, *backends.starter, backends.mapSimPath,
                              dir.toStdString(), calibration},
                             window, {options.profile, options.activeMode});
    window.setLogic(&logic);
    // Without anybody at the window, what the program learnt of the simulator goes to stderr.
    if (options.quitAfterScenario)
        logic.commandLog().setEcho([](const std::string& line) {
            std::fprintf(stderr, "%s\n", kordan::printableText(line).c_str());
        });
    backends.logLine = [&window, &options](const std::string& line) {
        window.appendCommandLog(line);
        // A run without anyone at the window (--quit) says on stderr what became of the way.
        if (options.quitAfterScenario)
            std::fprintf(stderr, "kordan: %s\n", kordan::printableText(line).c_str());
    };
    logic.setKeyWayNotes(backends.deliveryNotes);
    logic.offerExamples(shippedPath(QStringLiteral("demo/kordan"), QStringLiteral("demo/kordan")));
    window.setHandbook(
        shippedPath(QStringLiteral("Handbuch.md"), QStringLiteral("docs/Handbuch.md")));
    window.setDiagnostics([&] {
        const kordan::Zusi3Connection* tcp = logic.zusi3();
        return diagnostics(
            backends, &hid, logic.Sender() && logic.Sender()->GetConnect(),
            tcp ? zusi3Text(tcp->endpoint(), tcp->connected() ? "verbunden" : "nicht verbunden")
                : std::string(),
            tcp ? kordan::tcpWayText(tcp->endpoint()) : backends.delivery);
    });
    logic.offerZusi3(*backends.socket, zusi3, KORDAN_VERSION);
    // Likewise a connection to the TCP interface that fails, once for each new reason.
    auto tellZusi3 = [&logic, told = kordan::ITcpSocket::Failure::None]() mutable {
        const kordan::Zusi3Connection* tcp = logic.zusi3();
        const auto now =
            !tcp || tcp->connected() ? kordan::ITcpSocket::Failure::None : tcp->failure();
        if (now != told && now != kordan::ITcpSocket::Failure::None)
            std::fprintf(stderr, "kordan: Zusi 3 %s:%u: %s\n",
                         kordan::printableText(tcp->endpoint().host).c_str(),
                         unsigned(tcp->endpoint().port), kordan::failureText(now));
        told = now;
    };
    QTimer zusi3Watch;
    if (options.quitAfterScenario) {
        QObject::connect(&zusi3Watch, &QTimer::timeout, [&] { tellZusi3(); });
        zusi3Watch.start(100);
    }
    window.setWizardFactory([&](QWidget* parent) -> QWidget* {
        return new kordan::frmKalib(calibration, dialogs, parent);
    });
    window.setWizardFeed([](QWidget* wizard, const kordan::LeverBytes& raw) {
        static_cast<kordan::frmKalib*>(wizard)->ZeigeDaten(raw);
    });

    // The virtual controller's levers and buttons are moved on a panel of their own.
    std::unique_ptr<kordan::frmPanel> panel, secondPanel;
    if (options.virtualController) {
        panel = std::make_unique<kordan::frmPanel>(virtualController);
        panel->offerSecondController([&] {
            secondController.setPlugged(true);
            secondPanel = std::make_unique<kordan::frmPanel>(secondController);
            secondPanel->setWindowTitle(QStringLiteral("Virtuelles Fahrpult 2"));
            secondPanel->show();
        });
        panel->show();
    }

    // A scenario moves the virtual controller's levers and buttons in real time.
    std::unique_ptr<kordan::ScenarioPlayer> player;
    QTimer scenarioTimer;
    QElapsedTimer scenarioClock;
    if (!options.scenario.empty()) {
        auto text = kordan::readFileBytes(options.scenario, kordan::kScriptFileLimit);
        if (!text) {
            std::fprintf(stderr, "kordan: %s kann nicht gelesen werden\n",
                         options.scenario.c_str());
            return 2;
        }
        auto steps = kordan::parseScenario(*text);
        if (auto* error = std::get_if<kordan::ScenarioError>(&steps)) {
            std::fprintf(stderr, "%s:%d: %s\n", options.scenario.c_str(), error->line,
                         kordan::printableText(error->text).c_str());
            return 2;
        }
        kordan::ScenarioTarget target{
            virtualController,
            [&](const std::string& file) {
                if (logic.profiles())
                    logic.profiles()->openFile(file);
            },
            [&](bool active) { active ? logic.mnuModusAktiv() : logic.mnuModusTest(); }};
        player = std::make_unique<kordan::ScenarioPlayer>(
            std::get<std::vector<kordan::ScenarioStep>>(steps), std::move(target));
        QObject::connect(&scenarioTimer, &QTimer::timeout, [&] {
            if (!scenarioClock.isValid())
                scenarioClock.start();
            if (!player->run(static_cast<uint64_t>(scenarioClock.elapsed()))) {
                scenarioTimer.stop();
                if (options.quitAfterScenario) {
                    tellZusi3(); // a failure since the last look
                    // What the display showed before the shutdown blanked it.
                    std::printf("LED: [%s]\n",
                                kordan::displayText(virtualController.lastDisplay()).c_str());
                    std::printf("Profil: %s\nModus: %s\n", logic.Profil()->Bezeichnung().c_str(),
                                logic.mode() == kordan::KordanMain::Mode::Active ? "Aktiv"
                                                                                 : "Test");
                    std::fflush(stdout);
                    window.close();
                }
            }
        });
        scenarioTimer.start(5);
    }
    // A termination signal ends the program through the normal shutdown: keys let go, the
    // calibration saved. Nobody may be there to answer, so messages take their default and
    // open dialogs are closed.
    bool terminating = false;
    auto terminate = [&] {
        if (!g_terminate || std::exchange(terminating, true))
            return;
        dialogs.setScripted(true);
        for (int i = 0; i < 16 && QApplication::activeModalWidget(); ++i)
            QApplication::activeModalWidget()->close();
        if (!window.close()) // an editor that would not let go
            logic.Form_Unload();
    };
#if !defined(_WIN32)
    std::optional<QSocketNotifier> wake;
    if (g_wakePipe[0] >= 0) {
        wake.emplace(g_wakePipe[0], QSocketNotifier::Read);
        QObject::connect(&*wake, &QSocketNotifier::activated, [&] {
            char drained[64];
            while (::read(g_wakePipe[0], drained, sizeof drained) > 0) {
            }
            terminate();
        });
    }
#endif
    // Where no pipe wakes the loop (Windows), it looks for the flag every 100 ms.
    QTimer terminationTimer;
    QObject::connect(&terminationTimer, &QTimer::timeout, terminate);
    terminationTimer.start(100);
    logic.Form_Load();
    window.setLogic(nullptr);
    dialogs.tell(calibration.Save());
    return 0;
}
