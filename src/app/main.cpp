// The composition root: chooses the platform backends and wires them to the main window.
#include "app/KordanMain.h"
#include "app/QtDialogs.h"
#include "app/QtPlatform.h"
#include "app/frmKordan.h"
#include "calibration/frmKalib.h"
#include "device/VirtualController.h"
#include "send/SimWindow.h"
#include "sim/winereg/WineRegistry.h"

#if defined(KORDAN_HAVE_X11)
#include "send/x11/X11SimWindow.h"
#endif
#include "common/WinePaths.h"
#include "sim/ProcessStarter.h"
#include "sim/SimPaths.h"
#include "sim/posix/PosixProcessStarter.h"

#if defined(KORDAN_HAVE_HIDAPI)
#include "device/hidapi/HidapiPieHid.h"
#endif

#include "app/Scenario.h"
#include "common/TextFile.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QStandardPaths>
#include <QTimer>

#include <cstdio>
#include <memory>
#include <variant>
#include <vector>

namespace {

// Where no window system backend is built, the simulator is simply never found.
class NoWindowSystem : public kordan::ISimWindow {
public:
    kordan::WindowHandle foregroundWindow() override { return 0; }
    std::string windowTitle(kordan::WindowHandle) override { return {}; }
    void postKey(kordan::WindowHandle, uint32_t, int32_t) override {}
    void typeKeys(const std::string&) override {}
};

struct Options {
    bool virtualController = false;
    QString dir;
    QString scenario;
    bool quitAfterScenario = false;
};

Options parseArguments(const QStringList& args) {
    Options o;
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--virtual")) {
            o.virtualController = true;
        } else if (args[i] == QLatin1String("--dir") && i + 1 < args.size()) {
            o.dir = args[++i];
        } else if (args[i] == QLatin1String("--scenario") && i + 1 < args.size()) {
            o.scenario = args[++i];
        } else if (args[i] == QLatin1String("--quit")) {
            o.quitAfterScenario = true;
        } else if (args[i] == QLatin1String("--help")) {
            std::puts("kordan [--virtual] [--dir DIR] [--scenario FILE [--quit]]\n"
                      "  --virtual        list a virtual controller beside the real ones\n"
                      "  --dir DIR        program directory (profiles, axis files, calibration)\n"
                      "  --scenario FILE  play a scenario on the virtual controller in real time\n"
                      "  --quit           end the program when the scenario is done");
            std::exit(0);
        } else {
            std::fprintf(stderr, "kordan: unbekannte Option %s\n", args[i].toLocal8Bit().data());
            std::exit(2);
        }
    }
    if (!o.scenario.isEmpty())
        o.virtualController = true; // a scenario plays on the virtual controller
    return o;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("ZusiKordan"));
    QApplication::setApplicationDisplayName(QStringLiteral("Kordan für Zusi"));
    Options options = parseArguments(QApplication::arguments());

    // An installed program's own directory is not writable, so the program's directory is
    // the user's data directory unless one is given.
    QString dir = options.dir.isEmpty()
                      ? QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)
                      : options.dir;
    QDir().mkpath(dir);
    dir = QDir(dir).absolutePath();

    std::vector<kordan::IPieHid*> backends;
#if defined(KORDAN_HAVE_HIDAPI)
    std::unique_ptr<kordan::IPieHid> realControllers = kordan::createHidapiPieHid();
    backends.push_back(realControllers.get());
#endif
    kordan::VirtualController virtualController;
    if (options.virtualController)
        backends.push_back(&virtualController);
    kordan::CombinedPieHid hid(backends);

#if defined(KORDAN_HAVE_X11)
    std::unique_ptr<kordan::ISimWindow> simWindowBackend = kordan::makeX11SimWindow();
#else
    std::unique_ptr<kordan::ISimWindow> simWindowBackend = std::make_unique<NoWindowSystem>();
#endif
    kordan::ISimWindow& simWindow = *simWindowBackend;
    std::unique_ptr<kordan::IRegistryBackend> registry = kordan::makeWineRegistry();

    // The simulator runs under Wine here: its Windows paths lie below the Wine prefix, and
    // its vehicle editor is started through wine.
    std::unique_ptr<kordan::IProcessStarter> posixStarter = kordan::makePosixProcessStarter();
    kordan::WineProcessStarter starter(*posixStarter);
    auto prefix = kordan::winePrefixFromEnvironment();
    kordan::PathMapper mapSimPath =
        prefix ? kordan::winePathMapper(*prefix)
               : kordan::PathMapper([](const std::string&) { return std::string(); });

    kordan::QtSettings settings;
    kordan::QtClock clock;
    kordan::QtDialogs dialogs;
    kordan::frmKordan window;
    kordan::KordanMain logic({hid, settings, clock, clock, dialogs, simWindow, *registry, starter,
                              mapSimPath, dir.toStdString()},
                             window);
    window.setLogic(&logic);
    window.setWizardFactory([&](QWidget* parent) -> QWidget* {
        return logic.Kalib() ? new kordan::frmKalib(*logic.Kalib(), dialogs, parent) : nullptr;
    });
    window.setWizardFeed([](QWidget* wizard, const std::string& raw) {
        static_cast<kordan::frmKalib*>(wizard)->ZeigeDaten(raw);
    });
    // A scenario moves the virtual controller's levers and buttons in real time.
    std::unique_ptr<kordan::ScenarioPlayer> player;
    QTimer scenarioTimer;
    QElapsedTimer scenarioClock;
    if (!options.scenario.isEmpty()) {
        auto text = kordan::readFileBytes(options.scenario.toStdString());
        if (!text) {
            std::fprintf(stderr, "kordan: %s kann nicht gelesen werden\n",
                         options.scenario.toLocal8Bit().data());
            return 2;
        }
        auto parsed = kordan::parseScenario(*text);
        if (auto* error = std::get_if<kordan::ScenarioError>(&parsed)) {
            std::fprintf(stderr, "%s:%d: %s\n", options.scenario.toLocal8Bit().data(), error->line,
                         error->text.c_str());
            return 2;
        }
        player = std::make_unique<kordan::ScenarioPlayer>(
            std::get<std::vector<kordan::ScenarioStep>>(parsed), virtualController);
        QObject::connect(&scenarioTimer, &QTimer::timeout, [&] {
            if (!scenarioClock.isValid())
                scenarioClock.start();
            if (!player->run(static_cast<uint64_t>(scenarioClock.elapsed()))) {
                scenarioTimer.stop();
                if (options.quitAfterScenario)
                    window.close();
            }
        });
        scenarioTimer.start(5);
    }
    logic.Form_Load();
    window.setLogic(nullptr);
    return 0;
}
