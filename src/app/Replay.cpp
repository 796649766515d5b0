#include "app/Replay.h"

#include "app/Backends.h"
#include "app/KordanMain.h"
#include "app/NullViews.h"
#include "app/ProfileSession.h"
#include "app/ResultMessages.h"
#include "calibration/ZusiKalibrierung.h"
#include "common/Clock.h"
#include "common/Settings.h"
#include "common/TextFile.h"
#include "device/VirtualController.h"
#include "profile/ZusiProfile.h"
#include "send/SimWindow.h"
#include "sim/ProcessStarter.h"

#include <chrono>
#include <optional>
#include <ostream>
#include <thread>

namespace kordan {

namespace {

class SimulatedClock : public IClock, public IEventPump {
public:
    uint32_t milliseconds() override { return now; }
    void sleep(int32_t ms) override { now += static_cast<uint32_t>(ms > 0 ? ms : 0); }
    void processEvents() override {}
    uint32_t now = 0;
};

// Messages go to the error stream; questions are answered No, file dialogs cancelled.
class StreamDialogs : public WordingDialogs {
public:
    explicit StreamDialogs(std::ostream& err) : m_err(err) {}
    MsgAnswer message(const std::string& text, MsgButtons buttons, MsgIcon,
                      const std::string&) override {
        m_err << "message: " << printableText(text) << '\n';
        return buttons == MsgButtons::Ok ? MsgAnswer::Ok : MsgAnswer::No;
    }
    FileChoice openFile(const std::string&, const std::string&) override { return {}; }
    FileChoice saveFile(const std::string&, const std::string&, const std::string&) override {
        return {};
    }

private:
    std::ostream& m_err;
};

// The simulator's window: always in the foreground; prints what it receives.
class RecordingWindow : public ISimWindow {
public:
    RecordingWindow(std::ostream& out, const SimulatedClock& clock) : m_out(out), m_clock(clock) {}
    WindowHandle foregroundWindow() override { return 1; }
    std::string windowTitle(WindowHandle w) override { return w == 1 ? "Zusi" : ""; }
    void postKey(WindowHandle, uint32_t message, int32_t vk) override {
        m_out << m_clock.now << (message == 256 ? " down " : " up ") << vk << '\n';
    }
    void typeKeys(const std::string& keys) override {
        m_out << m_clock.now << " type " << keys << '\n';
    }

private:
    std::ostream& m_out;
    const SimulatedClock& m_clock;
};

class NoProcesses : public IProcessStarter {
public:
    bool start(const std::string&, const std::vector<std::string>&) override { return false; }
};

// A replay's backends: the recording window, `registry`, settings of its own and no process.
// The simulator's files are never looked at: a replay must not generate axis files.
Backends replayBackends(std::ostream& out, const SimulatedClock& clock, int32_t pollMs,
                        std::unique_ptr<IRegistryBackend> registry) {
    Backends b;
    b.window = std::make_unique<RecordingWindow>(out, clock);
    b.registry = std::move(registry);
    b.starter = std::make_unique<NoProcesses>();
    b.mapSimPath = [](const std::string&) { return std::string(); };
    auto settings = std::make_unique<MemorySettings>();
    settings->values = {{"AutoLoad", "0"},
                        {"Polling", std::to_string(pollMs)},
                        {"Speaker", "0"},
                        {"Led", "0"},
                        {"Modus", "Run"}};
    b.settings = std::move(settings);
    return b;
}

} // namespace

ScenarioTarget scenarioTarget(KordanMain& main, VirtualController& controller) {
    return {controller,
            [&main](const std::string& file) {
                if (ProfileSession* profiles = main.profiles())
                    profiles->openFile(file);
            },
            [&main](bool active) {
                main.actions().menu(active ? MenuEntry::ModusAktiv : MenuEntry::ModusTest);
            }};
}

std::optional<std::vector<ScenarioStep>> readScenario(const std::string& path, std::ostream& err) {
    const auto text = readFileBytes(path, kScriptFileLimit);
    if (!text) {
        err << "kordan: " << path << " kann nicht gelesen werden\n";
        return std::nullopt;
    }
    auto steps = parseScenario(*text);
    if (const auto* error = std::get_if<ScenarioError>(&steps)) {
        err << path << ":" << error->line << ": " << printableText(error->text) << "\n";
        return std::nullopt;
    }
    return std::get<std::vector<ScenarioStep>>(std::move(steps));
}

void writeRunSummary(std::ostream& out, const std::string& display, KordanMain& main) {
    out << "LED: [" << display << "]\nProfil: " << main.profiles()->profile().Bezeichnung()
        << "\nModus: " << (main.mode() == KordanMain::Mode::Active ? "Aktiv" : "Test") << "\n";
    out.flush();
}

int runReplay(const ReplayOptions& options, const std::vector<ScenarioStep>& scenario,
              std::unique_ptr<IRegistryBackend> registry, std::ostream& out, std::ostream& err,
              const ReplayZusi3* zusi3Server) {
    SimulatedClock clock;
    Backends backends = replayBackends(out, clock, options.pollMs, std::move(registry));
    StreamDialogs dialogs(err);
    // The calibration given is read but never written: a replay does not save it.
    std::optional<ZusiKalibrierung> calibration;
    if (options.calibrationFile.empty()) {
        calibration.emplace(dialogs);
    } else if (!readFirstLine(options.calibrationFile, 0)) {
        err << "message: " << options.calibrationFile << " kann nicht gelesen werden\n";
        calibration.emplace(dialogs);
    } else {
        calibration.emplace(dialogs, options.calibrationFile);
    }
    VirtualController controller;
    NullView view;
    StartOptions start;
    if (zusi3Server)
        start.zusi3.emplace(
            Zusi3Offer{zusi3Server->socket, zusi3Server->endpoint, "kordan-replay"});
    KordanMain main(
        backends.services(controller, clock, clock, dialogs, options.programDir, *calibration),
        view, std::move(start));
    main.startUp();
    if (Zusi3Connection* zusi3 = main.zusi3()) {
        // The simulated clock stands still meanwhile: only the scenario's time is simulated.
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        // A refusal or a missing host is final for a replay: no point in waiting on.
        while (!zusi3->connected() && zusi3->failure() == ITcpSocket::Failure::None &&
               std::chrono::steady_clock::now() < until) {
            zusi3->poll(clock.now);
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        if (!zusi3->connected()) {
            // Still trying after the wait: nothing has answered yet.
            const auto failure = zusi3->failure() == ITcpSocket::Failure::None
                                     ? ITcpSocket::Failure::NoAnswer
                                     : zusi3->failure();
            err << "kordan-replay: Zusi 3 " << zusi3Server->endpoint.host << ":"
                << zusi3Server->endpoint.port << ": " << failureText(failure) << "\n";
            return 3;
        }
    }
    if (main.profiles()->profile().load(options.profile) != LoadResult::Loaded)
        return 1;

    const ScenarioTarget target = scenarioTarget(main, controller);
    // Each pass advances the clock by the interval; a zero interval counts 1 ms a pass so
    // that waits still end.
    int32_t step = options.pollMs > 0 ? options.pollMs : 1;
    for (const ScenarioStep& s : scenario) {
        if (s.kind != ScenarioStep::Kind::Wait) {
            applyStep(s, target);
            continue;
        }
        uint64_t end = uint64_t(clock.now) + uint64_t(s.a);
        while (clock.now < end) {
            uint32_t before = clock.now;
            main.loopPass();
            if (clock.now == before)
                clock.now += static_cast<uint32_t>(step);
        }
    }
    // The end, as when the window is closed: what is still held is let go.
    main.Form_Unload();
    out.flush();
    return 0;
}

} // namespace kordan
