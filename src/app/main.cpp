// The composition root: the backends of this system (main_posix.cpp or main_win32.cpp) wired
// to the main window and its logic.
#include "app/CommandLine.h"
#include "app/Diagnostics.h"
#include "app/KordanMain.h"
#include "app/QtDialogs.h"
#include "app/QtPlatform.h"
#include "app/Replay.h"
#include "app/SheetPainter.h"
#include "app/SystemBackends.h"
#include "app/frmKordan.h"
#include "calibration/ZusiKalibrierung.h"
#include "calibration/frmKalib.h"
#include "common/Paths.h"
#include "common/TextFile.h"
#include "device/VirtualController.h"
#include "device/panel/Segments.h"
#include "device/panel/frmPanel.h"
#include "send/ZusiSend.h"
#include "sim/ZusiRegistry.h"
#include "sim/zusi3/Zusi3Settings.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSysInfo>
#include <QTimer>

#include <cstdio>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

using namespace kordan;

namespace {

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

// The TCP interface's line of the system information.
std::string zusi3Text(const std::optional<Zusi3Endpoint>& endpoint, const char* state) {
    if (!endpoint)
        return {};
    return endpoint->host + ":" + std::to_string(endpoint->port) + ", " + state;
}

// The system information; `found` says whether the delivery has the simulator's window,
// `way` how commands reach the simulator.
std::string diagnostics(Backends& b, IPieHid* controllers, bool found, const std::string& zusi3,
                        const std::string& way) {
    const QString system = QSysInfo::prettyProductName() + ", " + QSysInfo::kernelType() + " " +
                           QSysInfo::kernelVersion();
    return diagnosticsText({KORDAN_VERSION, qVersion(), b.hidapiVersion, system.toStdString(),
                            controllers, b.registry.get(), b.mapSimPath, b.winePrefix, way, found,
                            zusi3},
                           std::filesystem::file_time_type::clock::now());
}

int printDiagnostics(int argc, char** argv, const CommandLine& options,
                     const std::optional<Zusi3Endpoint>& zusi3) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("ZusiKordan"));
    const std::unique_ptr<Backends> b = makeBackends(options.delivery);
    if (!b)
        return 2;
    const bool found = ZusiSend(*b->window, zusiKeyTable(*b->registry)).GetConnect();
    // No connection is tried here: the server the program would use.
    const auto chosen = zusi3 ? zusi3 : storedZusi3Endpoint(*b->settings);
    std::fputs(diagnostics(*b, b->controllers.get(), found, zusi3Text(chosen, "nicht geprüft"),
                           chosen ? tcpWayText(*chosen) : b->delivery)
                   .c_str(),
               stdout);
    return 0;
}

int printSheet(int argc, char** argv, const CommandLine& options) {
    // Nothing is shown: the offscreen platform gives the fonts, with or without a display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QGuiApplication::setApplicationName(QStringLiteral("ZusiKordan"));
    // A relative name is looked for in the program's directory too, as --profile's is.
    const QString dir =
        options.dir.empty() ? defaultProgramDir() : QString::fromStdString(options.dir);
    return runSheetCommand(profileArgumentPath(options.sheetProfile, dir.toStdString()),
                           options.sheetOut, options.dir);
}

// A run without anyone at the window (--quit) says on stderr what became of a connection to
// the TCP interface that fails, once for each new reason.
class Zusi3FailureEcho {
public:
    explicit Zusi3FailureEcho(KordanMain& logic) : m_logic(logic) {}
    void look() {
        const Zusi3Connection* tcp = m_logic.zusi3();
        const auto now = !tcp || tcp->connected() ? ITcpSocket::Failure::None : tcp->failure();
        if (now != m_told && now != ITcpSocket::Failure::None)
            std::fprintf(stderr, "kordan: Zusi 3 %s:%u: %s\n",
                         printableText(tcp->endpoint().host).c_str(),
                         unsigned(tcp->endpoint().port), failureText(now));
        m_told = now;
    }

private:
    KordanMain& m_logic;
    ITcpSocket::Failure m_told = ITcpSocket::Failure::None;
};

// The virtual controllers: the one the panel moves, and a second plugged in on demand from
// the panel, to try two controllers.
struct VirtualControllers {
    VirtualController first, second;
    std::unique_ptr<frmPanel> panel, secondPanel;
    VirtualControllers() { second.setPlugged(false); }
    void showPanels() {
        panel = std::make_unique<frmPanel>(first);
        panel->offerSecondController([this] {
            second.setPlugged(true);
            secondPanel = std::make_unique<frmPanel>(second);
            secondPanel->setWindowTitle(QStringLiteral("Virtuelles Fahrpult 2"));
            secondPanel->show();
        });
        panel->show();
    }
};

// The main window with its logic, until the window is closed; 2 when the scenario to play
// cannot be.
int runProgram(int argc, char** argv, const CommandLine& options,
               std::optional<Zusi3Endpoint> zusi3) {
    catchTerminationSignals();
    raiseProgramPriority();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("ZusiKordan"));
    QApplication::setApplicationDisplayName(QStringLiteral("Kordan für Zusi"));
    loadQtGerman();
    const std::unique_ptr<Backends> backends = makeBackends(options.delivery);
    if (!backends)
        return 2;
    QString dir = QString::fromStdString(options.dir.empty() ? backends->programDir : options.dir);
    QDir().mkpath(dir);
    dir = QDir(dir).absolutePath();

    VirtualControllers virtuals;
    std::vector<IPieHid*> libraries;
    if (backends->controllers)
        libraries.push_back(backends->controllers.get());
    if (options.virtualController)
        libraries.insert(libraries.end(), {&virtuals.first, &virtuals.second});
    CombinedPieHid hid(libraries);
    QtClock clock;
    // A report of a real controller ends the loop's wait for window events.
    if (backends->controllers)
        backends->controllers->watchWith(&QtClock::watch);
    QtDialogs dialogs;
    // Before the calibration is read: its message must not wait for a click either.
    const bool quit = options.quitAfterScenario && !options.scenario.empty();
    dialogs.setScripted(quit);
    // The calibration lives in the program's directory (not in whatever directory the
    // program was started from), so it is found again; it is written back at the end.
    ZusiKalibrierung calibration(dialogs, joinPath(dir.toStdString(), "Kalibrierung.dat"));
    frmKordan window({dialogs, *backends->settings, dir.toStdString()});
    StartOptions start{options.profile, options.activeMode, std::nullopt,
                       shippedPath(QStringLiteral("demo/kordan"), QStringLiteral("demo/kordan")),
                       backends->deliveryNotes};
    start.zusi3.emplace(Zusi3Offer{*backends->socket, zusi3, KORDAN_VERSION});
    KordanMain logic(backends->services(hid, clock, clock, dialogs, dir.toStdString(), calibration),
                     window, std::move(start));
    window.setActions(&logic.actions());
    // Without anybody at the window, what the program learnt of the simulator goes to stderr.
    if (options.quitAfterScenario)
        logic.commandLog().setEcho([](const std::string& line) {
            std::fprintf(stderr, "%s\n", printableText(line).c_str());
        });
    backends->logLine = [&window, &options](const std::string& line) {
        window.appendCommandLog(line);
        // A run without anyone at the window (--quit) says on stderr what became of the way.
        if (options.quitAfterScenario)
            std::fprintf(stderr, "kordan: %s\n", printableText(line).c_str());
    };
    window.setHandbook(
        shippedPath(QStringLiteral("Handbuch.md"), QStringLiteral("docs/Handbuch.md")));
    window.setDiagnostics([&] {
        const Zusi3Connection* tcp = logic.zusi3();
        return diagnostics(
            *backends, &hid, logic.Sender() && logic.Sender()->GetConnect(),
            tcp ? zusi3Text(tcp->endpoint(), tcp->connected() ? "verbunden" : "nicht verbunden")
                : std::string(),
            tcp ? tcpWayText(tcp->endpoint()) : backends->delivery);
    });
    Zusi3FailureEcho zusi3Echo(logic);
    QTimer zusi3Watch;
    if (options.quitAfterScenario) {
        QObject::connect(&zusi3Watch, &QTimer::timeout, [&] { zusi3Echo.look(); });
        zusi3Watch.start(100);
    }
    window.setWizardFactory(
        [&](QWidget* parent) -> QWidget* { return new frmKalib(calibration, dialogs, parent); });
    window.setWizardFeed([](QWidget* wizard, const LeverBytes& raw) {
        static_cast<frmKalib*>(wizard)->ZeigeDaten(raw);
    });
    if (options.virtualController)
        virtuals.showPanels();

    // A scenario moves the virtual controller's levers and buttons in real time.
    std::unique_ptr<ScenarioPlayer> player;
    QTimer scenarioTimer;
    QElapsedTimer scenarioClock;
    if (!options.scenario.empty()) {
        auto steps = readScenario(options.scenario, std::cerr);
        if (!steps)
            return 2;
        player = std::make_unique<ScenarioPlayer>(std::move(*steps),
                                                  scenarioTarget(logic, virtuals.first));
        QObject::connect(&scenarioTimer, &QTimer::timeout, [&] {
            if (!scenarioClock.isValid())
                scenarioClock.start();
            if (player->run(static_cast<uint64_t>(scenarioClock.elapsed())))
                return;
            scenarioTimer.stop();
            if (!options.quitAfterScenario)
                return;
            zusi3Echo.look(); // a failure since the last look
            writeRunSummary(std::cout, displayText(virtuals.first.lastDisplay()), logic);
            window.close();
        });
        scenarioTimer.start(5);
    }
    // A termination signal ends the program through the normal shutdown: keys let go, the
    // calibration saved. Nobody may be there to answer, so messages take their default and
    // open dialogs are closed.
    bool terminating = false;
    auto terminate = [&] {
        if (!terminationRequested() || std::exchange(terminating, true))
            return;
        dialogs.setScripted(true);
        for (int i = 0; i < 16 && QApplication::activeModalWidget(); ++i)
            QApplication::activeModalWidget()->close();
        if (!window.close()) // an editor that would not let go
            logic.actions().closing();
    };
    const std::unique_ptr<QObject> wake = wakeOnTermination(terminate);
    // Where no signal wakes the loop, it looks for the flag every 100 ms.
    QTimer terminationTimer;
    QObject::connect(&terminationTimer, &QTimer::timeout, terminate);
    if (!wake)
        terminationTimer.start(100);
    logic.Form_Load();
    window.setActions(nullptr);
    dialogs.tell(calibration.Save());
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    // Read before the application object exists: what needs no window works without a display.
    auto parsed = parseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.error.empty()) {
        std::fprintf(stderr, "kordan: %s\n", parsed.error.c_str());
        return 2;
    }
    const CommandLine& options = parsed.line;
    if (options.help) {
        std::fputs(commandLineHelp(), stdout);
        return 0;
    }
    if (options.version) {
        std::puts("kordan " KORDAN_VERSION);
        return 0;
    }
    std::optional<Zusi3Endpoint> zusi3;
    if (options.zusi3) {
        zusi3 = parseZusi3Endpoint(*options.zusi3);
        if (!zusi3) {
            std::fprintf(stderr, "kordan: --zusi3 erwartet HOST[:PORT], nicht %s\n",
                         options.zusi3->c_str());
            return 2;
        }
    }
    if (options.diagnose)
        return printDiagnostics(argc, argv, options, zusi3);
    if (!options.sheetOut.empty())
        return printSheet(argc, argv, options);
    return runProgram(argc, argv, options, zusi3);
}
