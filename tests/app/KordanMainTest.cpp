#include "app/KordanMain.h"

#include "app/FakeView.h"
#include "calibration/ZusiKalibrierung.h"
#include "device/Reports.h"
#include "device/VirtualController.h"
#include "fakes/FakeDialogs.h"
#include "fakes/FakePlatform.h"
#include "fakes/FakeRegistry.h"
#include "fakes/FakeSimWindow.h"
#include "fakes/TempDir.h"
#include "profile/ZusiProfile.h"
#include "send/ZusiSend.h"
#include "sim/ZusiLok.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <filesystem>

using namespace kordan;
using namespace kordan::test;

namespace {

// A controller library with any number of devices; records what is called.
class FakeHid : public IPieHid {
public:
    struct Device {
        int32_t product, usage, usagePage, handle;
    };
    int32_t EnumeratePIE(int32_t vid, DeviceInfoTable& info, int32_t& count) override {
        calls.push_back("enum " + std::to_string(vid));
        count = static_cast<int32_t>(devices.size());
        for (size_t i = 0; i < devices.size() && i < 25; ++i) {
            info[4 * i] = devices[i].product;
            info[4 * i + 1] = devices[i].usage;
            info[4 * i + 2] = devices[i].usagePage;
            info[4 * i + 3] = devices[i].handle;
        }
        return enumResult;
    }
    int32_t SetupInterface(int32_t h) override {
        calls.push_back("setup " + std::to_string(h));
        return 0;
    }
    int32_t ReadData(int32_t, InputReport& r) override {
        if (reports.empty())
            return 1;
        r = reports.front();
        reports.pop_front();
        return 0;
    }
    int32_t WriteData(int32_t h, const OutputReport& r) override {
        written.push_back(r);
        calls.push_back("write " + std::to_string(h) + " " + std::to_string(r[1]));
        return 0;
    }
    void CloseInterface(int32_t h) override { calls.push_back("close " + std::to_string(h)); }
    bool waitForReport(int32_t, int32_t ms) override {
        if (!canWait)
            return false;
        waits.push_back(ms);
        return true;
    }

    std::vector<Device> devices;
    int32_t enumResult = 0;
    std::deque<InputReport> reports;
    std::vector<OutputReport> written;
    std::vector<std::string> calls;
    bool canWait = false;
    std::vector<int32_t> waits;
};

struct Rig {
    TempDir dir;
    FakeHid hid;
    FakeSettings settings;
    FakeClock clock;
    FakeEventPump events;
    FakeDialogs dialogs;
    FakeView view;
    FakeSimWindow window;
    FakeRegistry registry;
    RecordingStarter starter;
    std::unique_ptr<KordanMain> main;

    Rig() { writeCalibration(); }
    void writeCalibration() {
        std::string s = "1.0\r\n[Kalibrierung]\r\n";
        for (int i = 1; i <= 7; ++i)
            s += "[Hebel" + std::to_string(i) + "]\r\n 4 \r\n 0 \r\n 255 \r\n";
        dir.write("Kalibrierung.dat", s);
    }
    KordanMain& make() {
        main = std::make_unique<KordanMain>(KordanServices{hid, settings, clock, events, dialogs,
                                                           window, registry, starter, mapZusi(),
                                                           dir.path()},
                                            view);
        return *main;
    }
    KordanMain& start() {
        make().startUp();
        return *main;
    }
    void oneDevice(int32_t handle = 5) { hid.devices.push_back({210, 4, 12, handle}); }
    // The simulator's "C:\Zusi" lies in the test directory's "zusi" folder.
    PathMapper mapZusi() {
        return [this](const std::string& windowsPath) -> std::string {
            if (windowsPath.rfind("C:\\Zusi", 0) != 0)
                return {};
            std::string rest = windowsPath.substr(7);
            for (char& c : rest)
                if (c == '\\')
                    c = '/';
            return dir.path() + "/zusi" + rest;
        };
    }
};

InputReport report(std::initializer_list<std::pair<int, uint8_t>> levers,
                   std::initializer_list<int> buttons = {}) {
    InputReport r{};
    for (auto [i, v] : levers)
        r[i] = v;
    for (int k : buttons)
        r[8 + (k - 1) / 8] |= uint8_t(1 << ((k - 1) % 8));
    return r;
}

} // namespace

TEST(KordanMainDevices, EntryTextAndHandle) {
    EXPECT_EQ(KordanMain::deviceEntryText(210, 4, 12, 5),
              "PID: 0D2, Usg: 004, UP: 00C -- splat device #  5 Kordan Desktop");
    EXPECT_EQ(KordanMain::deviceEntryText(210, 0x1234, 12, -7),
              "PID: 0D2, Usg: 1234, UP: 00C -- splat device # -7 Kordan Desktop");
    EXPECT_EQ(KordanMain::handleFromEntry(KordanMain::deviceEntryText(210, 4, 12, 123)), 123);
    EXPECT_EQ(KordanMain::handleFromEntry(KordanMain::deviceEntryText(210, 4, 12, -7)), -7);
    EXPECT_EQ(KordanMain::handleFromEntry("no hash"), 0);
    EXPECT_EQ(KordanMain::handleFromEntry("#"), 0);
    EXPECT_EQ(KordanMain::HexPad(255, 1), "FF");
}

TEST(KordanMainDevices, ListsOnlyKordansAndOpensASingleOne) {
    Rig rig;
    rig.hid.devices = {{210, 4, 13, 1}, {211, 4, 12, 2}, {210, 4, 12, 9}};
    auto& m = rig.start();
    ASSERT_EQ(m.deviceEntries().size(), 1u);
    EXPECT_EQ(rig.view.selected, 0);
    EXPECT_EQ(m.deviceHandle(), 9);
    EXPECT_EQ(rig.hid.calls[0], "enum 1523");
    EXPECT_EQ(rig.hid.calls[1], "setup 9") << "no close before the loop runs";
}

TEST(KordanMainDevices, TwoControllersWaitForAClick) {
    Rig rig;
    rig.oneDevice(3);
    rig.oneDevice(4);
    auto& m = rig.start();
    EXPECT_EQ(m.deviceHandle(), 0);
    EXPECT_EQ(m.selectedDevice(), -1);
    EXPECT_TRUE(rig.dialogs.messages.empty());
    m.deviceClicked(1);
    EXPECT_EQ(m.deviceHandle(), 4);
    m.deviceClicked(0);
    // Once the loop runs, the previous device is closed before the next one opens, and the
    // profile for the newly selected controller is looked for (easy mode: automatisch.cfr).
    auto close = std::find(rig.hid.calls.begin(), rig.hid.calls.end(), "close 4");
    ASSERT_NE(close, rig.hid.calls.end());
    EXPECT_EQ(std::vector<std::string>(close, close + 3),
              (std::vector<std::string>{"close 4", "setup 3", "write 3 133"}));
    EXPECT_EQ(rig.dialogs.texts().back(), "Konfiguration automatisch.cfr nicht gefunden.");
}

TEST(KordanMainDevices, NoControllerIsReportedOnceButFailedEnumerationIsSilent) {
    Rig rig;
    rig.start();
    EXPECT_EQ(rig.dialogs.texts(), std::vector<std::string>{"Kein Kordan angeschlossen."});
    EXPECT_EQ(rig.dialogs.messages[0].icon, MsgIcon::None);

    Rig failing;
    failing.oneDevice();
    failing.hid.enumResult = 3;
    failing.start();
    EXPECT_TRUE(failing.view.devices.empty());
    EXPECT_TRUE(failing.dialogs.messages.empty());
}

TEST(KordanMainDevices, MoreDevicesThanTheTableHoldsAreCut) {
    Rig rig;
    for (int i = 1; i <= 30; ++i)
        rig.oneDevice(i);
    auto& m = rig.start();
    EXPECT_EQ(m.deviceEntries().size(), 25u);
}

TEST(KordanMainStartUp, FirstStartWithoutSettings) {
    Rig rig;
    std::filesystem::remove(rig.dir.file("Kalibrierung.dat"));
    rig.oneDevice();
    auto& m = rig.start();
    EXPECT_FALSE(rig.view.easyVisible);
    EXPECT_EQ(m.loadMode(), 2) << "easy mode is selected although its option is hidden";
    EXPECT_EQ(rig.settings.values["AutoLoad"], "2");
    EXPECT_EQ(m.pollInterval(), 10);
    EXPECT_TRUE(m.speakerChecked());
    EXPECT_EQ(m.ledChecked(), 0);
    EXPECT_EQ(m.mode(), KordanMain::Mode::Active);
    EXPECT_EQ(rig.settings.values["Modus"], "Run");
    EXPECT_EQ(rig.view.lok, "<Unbekannt>");
    EXPECT_EQ(rig.view.log, (std::vector<std::string>{"show", "focus", "wizard"}));
    EXPECT_TRUE(m.running());
}

TEST(KordanMainStartUp, StoredSettingsAreInterpretedAsTexts) {
    Rig rig;
    rig.settings.values = {
        {"AutoLoad", "1 "}, {"Polling", "abc"}, {"Speaker", "1.0"}, {"Led", "5"}, {"Modus", "run"}};
    auto& m = rig.start();
    EXPECT_EQ(m.loadMode(), -1);
    EXPECT_EQ(rig.view.loadMode, -1);
    EXPECT_EQ(rig.settings.values["AutoLoad"], "1 ") << "no option selected, nothing written";
    EXPECT_EQ(m.pollInterval(), 0);
    EXPECT_TRUE(m.speakerChecked());
    EXPECT_EQ(m.ledChecked(), -1);
    EXPECT_EQ(m.mode(), KordanMain::Mode::Test) << "only exactly \"Run\" means active";

    Rig other;
    other.settings.values = {
        {"AutoLoad", "0"}, {"Polling", " 7.5"}, {"Speaker", "0"}, {"Led", "2"}};
    auto& n = other.start();
    EXPECT_EQ(n.loadMode(), 0);
    EXPECT_EQ(n.pollInterval(), 8);
    EXPECT_FALSE(n.speakerChecked());
    EXPECT_EQ(n.ledChecked(), 2);
    EXPECT_TRUE(other.view.log == (std::vector<std::string>{"show", "focus"}))
        << "a valid calibration opens no wizard";
}

TEST(KordanMainStartUp, CalibrationLivesInTheProgramDirectory) {
    Rig rig;
    auto& m = rig.start();
    ASSERT_NE(m.Kalib(), nullptr);
    EXPECT_TRUE(m.Kalib()->IsConfigured());
    EXPECT_EQ(std::filesystem::current_path(), std::filesystem::path(rig.dir.path()));
}

TEST(KordanMainModes, ChangesAreStoredAndGuarded) {
    Rig rig;
    rig.oneDevice();
    rig.oneDevice(6);
    rig.settings.values["Modus"] = "Test";
    auto& m = rig.start();
    EXPECT_EQ(rig.view.modeLabel, "Hardware - Test / Konfiguratrion");
    EXPECT_TRUE(rig.view.deviceListEnabled);

    m.mnuModusAktiv();
    ASSERT_EQ(rig.dialogs.messages.size(), 1u);
    EXPECT_EQ(rig.dialogs.messages[0].text, "Bitte zuerst Gerät markieren!");
    EXPECT_EQ(rig.dialogs.messages[0].title, "Aktivieren nicht möglich");
    EXPECT_EQ(rig.dialogs.messages[0].icon, MsgIcon::Exclamation);
    EXPECT_EQ(m.mode(), KordanMain::Mode::Test);

    m.deviceClicked(1);
    m.mnuModusAktiv();
    EXPECT_EQ(m.mode(), KordanMain::Mode::Active);
    EXPECT_EQ(rig.view.modeLabel, "Aktiv");
    EXPECT_FALSE(rig.view.deviceListEnabled);
    EXPECT_EQ(rig.settings.values["Modus"], "Run");

    m.mnuModusKalibrieren();
    EXPECT_EQ(rig.dialogs.messages.back().text, "Kalibrierung nur im Test-Modus möglich");
    EXPECT_EQ(rig.dialogs.messages.back().title, "Nicht möglich");
    EXPECT_FALSE(rig.view.wizardVisible);

    m.mnuModusTest();
    EXPECT_EQ(rig.settings.values["Modus"], "Test");
    m.mnuModusKalibrieren();
    EXPECT_TRUE(rig.view.wizardVisible);
}

TEST(KordanMainModes, SpeakerAndLedMenus) {
    Rig rig;
    rig.oneDevice();
    auto& m = rig.start();
    rig.hid.written.clear();
    m.mnuAusgabeLautsprecher();
    EXPECT_FALSE(rig.view.speaker);
    EXPECT_EQ(rig.settings.values["Speaker"], "0");
    ASSERT_EQ(rig.hid.written.size(), 1u);
    EXPECT_EQ(rig.hid.written[0], speakerReport(false));
    m.mnuAusgabeLed(1);
    EXPECT_EQ(rig.view.led, 1);
    EXPECT_EQ(rig.settings.values["Led"], "1");
}

TEST(KordanMainPolling, TestModeShowsValuesAndFeedsTheVisibleWizard) {
    Rig rig;
    rig.oneDevice();
    rig.settings.values["Modus"] = "Test";
    auto& m = rig.start();
    rig.hid.reports.push_back(report({{1, 0}, {2, 255}, {3, 128}}, {1, 44}));
    m.PollController();
    EXPECT_EQ(rig.view.levers[0], "0");
    EXPECT_EQ(rig.view.levers[1], "255");
    EXPECT_EQ(rig.view.levers[2], "126");
    EXPECT_TRUE(rig.view.buttons[0]);
    EXPECT_FALSE(rig.view.buttons[1]);
    EXPECT_TRUE(rig.view.buttons[43]);
    EXPECT_TRUE(rig.view.wizardData.empty()) << "hidden wizard gets nothing";

    rig.view.wizardVisible = true;
    rig.hid.reports.push_back(report({{1, 1}, {2, 2}, {3, 3}, {4, 4}, {5, 5}, {6, 6}, {7, 200}}));
    m.PollController();
    ASSERT_EQ(rig.view.wizardData.size(), 1u);
    EXPECT_EQ(rig.view.wizardData[0], std::string("\x01\x02\x03\x04\x05\x06\xC8", 7));

    m.mnuModusAktiv();
    auto levers = rig.view.levers;
    auto buttons = rig.view.buttons;
    rig.hid.reports.push_back(report({{1, 50}}, {2}));
    m.PollController();
    EXPECT_EQ(rig.view.wizardData.size(), 1u) << "nothing in active mode";
    EXPECT_EQ(rig.view.levers, levers) << "fields keep their test-mode values";
    EXPECT_EQ(rig.view.buttons, buttons);
    EXPECT_TRUE(m.buttonState(2));
}

TEST(KordanMainPolling, ByteThirteenHoldsOnlyFourButtons) {
    Rig rig;
    rig.oneDevice();
    rig.settings.values["Modus"] = "Test";
    auto& m = rig.start();
    InputReport r{};
    r[13] = 0xFF;
    rig.hid.reports.push_back(r);
    m.PollController();
    for (int k = 1; k <= 44; ++k)
        EXPECT_EQ(m.buttonState(k), k >= 41) << k;
}

TEST(KordanMainLoop, TickEveryHundredMillisecondsWithStrictComparison) {
    Rig rig;
    rig.oneDevice();
    auto& m = rig.start();
    rig.hid.written.clear();
    // Passes at +10 ... +100: 100 is not later than the mark + 100.
    for (int i = 0; i < 10; ++i)
        m.loopPass();
    EXPECT_EQ(m.tickCount(), 0u);
    m.loopPass(); // +110
    EXPECT_EQ(m.tickCount(), 1u);
    for (int i = 0; i < 50; ++i)
        m.loopPass(); // +610
    EXPECT_EQ(m.tickCount(), 6u);
    for (int i = 0; i < 9; ++i)
        m.loopPass(); // +700: not yet
    EXPECT_EQ(m.tickCount(), 6u);
    m.loopPass(); // +710: the seventh tick refreshes the display again
    EXPECT_EQ(m.tickCount(), 7u);
    int displayWrites = 0;
    for (auto& r : rig.hid.written)
        displayWrites += r[1] == 134;
    EXPECT_EQ(displayWrites, 2) << "first tick and every sixth after it";
    EXPECT_EQ(rig.clock.sleeps, std::vector<int32_t>(71, 10));
}

TEST(KordanMainLoop, IntervalZeroNeverSleepsButStillTicks) {
    Rig rig;
    rig.settings.values["Polling"] = "0";
    auto& m = rig.start();
    for (int i = 0; i < 5; ++i) {
        rig.clock.now += 30;
        m.loopPass();
    }
    EXPECT_TRUE(rig.clock.sleeps.empty());
    EXPECT_EQ(m.tickCount(), 1u); // at +120
}

TEST(KordanMainLoop, AShortStallIsCaughtUpOneTickPerPass) {
    Rig rig;
    auto& m = rig.start();
    rig.clock.now += 500;
    std::vector<uint64_t> ticks;
    for (int i = 0; i < 7; ++i) {
        m.loopPass();
        ticks.push_back(m.tickCount());
    }
    EXPECT_EQ(ticks, (std::vector<uint64_t>{1, 2, 3, 4, 5, 5, 5}));
}

TEST(KordanMainLoop, ALongStallDropsTheMissedTicks) {
    Rig rig;
    auto& m = rig.start();
    rig.clock.now += 1500;
    m.loopPass();
    EXPECT_EQ(m.tickCount(), 0u);
    for (int i = 0; i < 10; ++i)
        m.loopPass(); // 100 ms after the pass that noticed the stall: not yet
    EXPECT_EQ(m.tickCount(), 0u);
    m.loopPass();
    EXPECT_EQ(m.tickCount(), 1u);
}

TEST(KordanMainLoop, ClockWrapResetsTheMarkWithoutATick) {
    Rig rig;
    rig.settings.values["Polling"] = "0";
    rig.clock.now = 0xFFFFFF00u;
    auto& m = rig.start();
    rig.clock.now = 20; // the counter wrapped past 2^32 - 1
    m.loopPass();
    EXPECT_EQ(m.tickCount(), 0u);
    rig.clock.now = 120;
    m.loopPass();
    EXPECT_EQ(m.tickCount(), 0u);
    rig.clock.now = 121;
    m.loopPass();
    EXPECT_EQ(m.tickCount(), 1u);
}

TEST(KordanMainLoop, WaitsOnTheControllerInsteadOfSleeping) {
    Rig rig;
    rig.oneDevice();
    rig.hid.canWait = true;
    auto& m = rig.start();
    m.loopPass();
    EXPECT_EQ(rig.hid.waits, std::vector<int32_t>{10});
    EXPECT_TRUE(rig.clock.sleeps.empty());
}

TEST(KordanMainLoop, AnErrorInsidePollEndsThatPollOnly) {
    Rig rig;
    rig.oneDevice();
    rig.settings.values["Modus"] = "Test";
    auto& m = rig.start();
    rig.view.wizardVisible = true;
    rig.hid.reports.push_back(report({{1, 9}}));
    rig.events.onEvents = [&](int) { throw std::runtime_error("boom"); };
    EXPECT_THROW(m.loopPass(), std::runtime_error) << "window events are not the poll's";
    rig.events.onEvents = nullptr;
    EXPECT_TRUE(m.loopPass());
}

TEST(KordanMainShutdown, BlanksDisplaySilencesSpeakerAndWritesCalibration) {
    Rig rig;
    rig.oneDevice();
    rig.settings.values["Modus"] = "Test";
    auto& m = rig.start();
    std::filesystem::remove(rig.dir.file("Kalibrierung.dat"));
    rig.hid.written.clear();
    rig.events.onEvents = [&](int n) {
        if (n == 1)
            m.Form_Unload();
    };
    m.runLoop(); // the first pass's events run; the second pass's events close the window
    EXPECT_FALSE(m.running());
    ASSERT_EQ(rig.hid.written.size(), 2u);
    EXPECT_EQ(rig.hid.written[0], displayReport(0, 0, 0));
    EXPECT_EQ(rig.hid.written[1], speakerReport(false));
    EXPECT_FALSE(rig.view.speaker);
    EXPECT_EQ(rig.settings.values.count("Speaker"), 0u) << "the setting stays";
    EXPECT_TRUE(std::filesystem::exists(rig.dir.file("Kalibrierung.dat")));
    EXPECT_EQ(m.Kalib(), nullptr);
    EXPECT_TRUE(rig.dialogs.messages.empty()) << "no question without changes";
    EXPECT_EQ(std::count(rig.hid.calls.begin(), rig.hid.calls.end(), "close 5"), 0)
        << "the controller stays open";
    m.Form_Unload(); // a second close does nothing
}

TEST(KordanMainShutdown, UnsavedChangesAreAskedAbout) {
    Rig rig;
    auto& m = rig.start();
    m.setChanged(true);
    rig.dialogs.answers.push_back(MsgAnswer::No);
    m.Form_Unload();
    ASSERT_EQ(rig.dialogs.messages.size(), 2u); // "Kein Kordan ..." first
    EXPECT_EQ(rig.dialogs.messages[1].text, "Aenderungen speichern?");
    EXPECT_EQ(rig.dialogs.messages[1].buttons, MsgButtons::YesNo);
    EXPECT_EQ(rig.dialogs.messages[1].icon, MsgIcon::Question);
    EXPECT_FALSE(m.running());
}

namespace {

constexpr const char* kZusiKey = "Software\\zusi\\zusi";

// A rig in active mode with the simulator's window in front and key settings T0 = 65
// ("Fahrschalter auf"), T1 = 66 ("ab"), T9 = 72 ("Pfeife").
struct ActiveRig : Rig {
    ActiveRig() {
        oneDevice();
        registry.set(kZusiKey, "T0", "65");
        registry.set(kZusiKey, "T1", "66");
        registry.set(kZusiKey, "T9", "72");
        registry.set(kZusiKey, "T14", "90");
        window.addWindow(77, "Zusi 2");
        window.setForeground(77);
    }
    std::vector<std::string> keys() const {
        std::vector<std::string> out;
        for (auto& e : window.events)
            out.push_back((e.message == 256 ? "down " : "up ") + std::to_string(e.virtualKey));
        return out;
    }
    void writeProfile() {
        // Button 1: horn held while pressed; button 2: "Fahrschalter auf" tapped.
        std::string p = "1.0\r\n[Buttons]\r\nPfeife\r\n 28 \r\n 0 \r\n 0 \r\n 1 \r\n 0 \r\n 0 \r\n"
                        "Auf\r\n 14 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n";
        for (int k = 3; k <= 44; ++k)
            p += "#\r\n";
        p += "[Axis]\r\nFS.axr\r\n 0 \r\n";
        for (int i = 2; i <= 7; ++i)
            p += "#\r\n";
        dir.write("test.cfr", p);
        // Lever 1: a regulator zone 0-255 with 10 notches of "Regelbereich Fahrschalter".
        dir.write("FS.axr", "1.0\r\n[Zones]\r\n 1 \r\nFahren\r\n 0 \r\n 255 \r\n 0 \r\n 0 \r\n"
                            " 0 \r\n 1000 \r\n 10 \r\n 0 \r\n");
    }
};

} // namespace

TEST(KordanMainActive, ButtonsBeforeLeversAndChangesOnlyOnce) {
    ActiveRig rig;
    rig.writeProfile();
    auto& m = rig.start();
    ASSERT_EQ(m.mode(), KordanMain::Mode::Active);
    ASSERT_TRUE(m.Profil()->load("test.cfr"));
    rig.hid.reports.push_back(report({{1, 128}}, {1, 2}));
    m.PollController();
    // Button 1 (held horn), button 2 (tap), then lever 1 from 0 to 126: 5 notches up.
    EXPECT_EQ(rig.keys(),
              (std::vector<std::string>{"down 72", "down 65", "up 65", "down 65", "down 65",
                                        "down 65", "down 65", "down 65", "up 65"}));
    rig.window.events.clear();
    rig.hid.reports.push_back(report({{1, 128}}, {1, 2}));
    m.PollController();
    EXPECT_TRUE(rig.keys().empty()) << "nothing changed, nothing sent";
    rig.hid.reports.push_back(report({{1, 128}}, {2}));
    m.PollController();
    EXPECT_EQ(rig.keys(), (std::vector<std::string>{"up 72"}));
}

TEST(KordanMainActive, ChangesMadeInTestModeArePassedOnEnteringActiveMode) {
    ActiveRig rig;
    rig.writeProfile();
    rig.settings.values["Modus"] = "Test";
    auto& m = rig.start();
    ASSERT_TRUE(m.Profil()->load("test.cfr"));
    rig.hid.reports.push_back(report({{1, 255}}, {1}));
    m.PollController();
    EXPECT_TRUE(rig.window.events.empty()) << "test mode sends nothing";
    m.mnuModusAktiv();
    rig.hid.reports.push_back(report({{1, 255}}, {1}));
    m.PollController();
    // The held button as a press, the lever as one move from 0 to 255: 10 notches.
    auto keys = rig.keys();
    ASSERT_EQ(keys.size(), 12u);
    EXPECT_EQ(keys[0], "down 72");
    EXPECT_EQ(std::count(keys.begin(), keys.end(), "down 65"), 10);
    EXPECT_EQ(rig.view.leverTips[0], "+FS.axr");
    EXPECT_EQ(rig.view.leverTips[1], "Nicht zugeordnet");
    EXPECT_EQ(rig.view.buttonTips[0], "Pfeife");
    EXPECT_EQ(rig.view.buttonTips[2], "Nicht definiert");
}

TEST(KordanMainActive, TickRunsProfileAndSenderTimersAndShowsTheConnection) {
    ActiveRig rig;
    rig.settings.values["Polling"] = "0";
    auto& m = rig.start();
    m.Sender()->send(37, 1); // emergency brake: ten downs, the up six ticks later
    EXPECT_EQ(rig.window.events.size(), 10u);
    for (int t = 1; t <= 6; ++t) {
        rig.clock.now += 101;
        m.loopPass();
    }
    EXPECT_EQ(m.tickCount(), 6u);
    ASSERT_EQ(rig.window.events.size(), 11u);
    EXPECT_EQ(rig.keys().back(), "up 90");
    EXPECT_EQ(rig.view.modeLabel, "Aktiv - mit Zusi verbunden");
    EXPECT_EQ(rig.view.modeColour, LabelColour::Green);

    rig.window.closeWindow(77);
    for (int t = 0; t < 21; ++t) {
        rig.clock.now += 101;
        m.loopPass();
    }
    EXPECT_EQ(rig.view.modeLabel, "Aktiv - Zusi nicht gefunden");
    EXPECT_EQ(rig.view.modeColour, LabelColour::Red);
    EXPECT_EQ(rig.hid.written.back(), displayReport(0x40, 0x40, 0x40)) << "dashes";
}

TEST(KordanMainActive, DisplayShowsSpeedOrPositionAndWritesOnlyChanges) {
    ActiveRig rig;
    rig.registry.set(kZusiKey, "km/h", "87.9");
    rig.registry.set(kZusiKey, "km", "-3,5");
    auto& m = rig.start();
    m.mnuAusgabeLed(1);
    rig.hid.written.clear();
    m.LedOutput(0);
    ASSERT_EQ(rig.hid.written.size(), 1u);
    EXPECT_EQ(rig.hid.written[0],
              displayReport(0x07, 0x7F, 0)); // "87": 8 in the middle, 7 at the right
    m.LedOutput(0);
    EXPECT_EQ(rig.hid.written.size(), 1u) << "an unchanged value is not written again";
    m.mnuAusgabeLed(2);
    m.LedOutput(0);
    EXPECT_EQ(rig.hid.written.back(), displayReport(0x6D, 0x4F | 0x80, 0)); // "3.5"
    m.LedOutput(1);
    EXPECT_EQ(rig.hid.written.back(), displayReport(0x78, 0x5C, 0x38));
    m.mnuAusgabeLed(1);
    m.LedOutput(0);
    EXPECT_EQ(rig.hid.written.back(), displayReport(0x07, 0x7F, 0))
        << "the missing-profile sign cleared the cached texts";
    m.mnuModusTest();
    m.LedOutput(0);
    EXPECT_EQ(rig.hid.written.back(), displayReport(0, 0, 0)) << "blank outside active mode";
}

TEST(KordanMainActive, LeavingWithChangesSavesOnYes) {
    ActiveRig rig;
    rig.writeProfile();
    auto& m = rig.start();
    ASSERT_TRUE(m.Profil()->load("test.cfr"));
    m.Profil()->buttons(3).Defined = true;
    m.Profil()->buttons(3).Bezeichnung = "Neu";
    m.setChanged(true);
    rig.dialogs.answers.push_back(MsgAnswer::Yes);
    m.Form_Unload();
    EXPECT_EQ(rig.view.profil, "test.cfr");
    EXPECT_NE(rig.dir.read("test.cfr").find("Neu\r\n"), std::string::npos);
}

TEST(KordanMainActive, HeldKeysAreReleasedAtShutdownAndOnSwitchingControllers) {
    ActiveRig rig;
    rig.writeProfile();
    rig.oneDevice(8);
    auto& m = rig.start();
    ASSERT_TRUE(m.Profil()->load("test.cfr"));
    m.deviceClicked(0);
    rig.hid.reports.push_back(report({}, {1})); // the horn is held
    m.PollController();
    EXPECT_EQ(rig.keys(), std::vector<std::string>{"down 72"});
    m.deviceClicked(1);
    EXPECT_EQ(rig.keys(), (std::vector<std::string>{"down 72", "up 72"}));
    rig.window.events.clear();
    m.Sender()->send(37, 1); // the emergency brake, its release still pending
    rig.window.events.clear();
    m.Form_Unload();
    EXPECT_EQ(rig.keys(), std::vector<std::string>{"up 90"});
}

TEST(KordanMainWindow, AxisFileIsHandedOverOnce) {
    ActiveRig rig;
    rig.writeProfile();
    auto& m = rig.start();
    ASSERT_TRUE(m.Profil()->load("test.cfr"));
    rig.view.nextAktion = 3;
    m.leverDoubleClicked(0);
    EXPECT_EQ(rig.view.log.back(), "axis 1");
    EXPECT_EQ(m.AxisFile(), "FS.axr");
    EXPECT_EQ(m.AxisFile(), "");
}

TEST(KordanMainWindow, LeverActionsApplyToTheAxis) {
    ActiveRig rig;
    rig.writeProfile();
    auto& m = rig.start();
    ASSERT_TRUE(m.Profil()->load("test.cfr"));
    ZusiAxis& axis = m.Profil()->Axis(1);

    rig.view.nextAktion = 0; // cancelled: nothing happens, but the profile counts as changed
    m.leverDoubleClicked(0);
    EXPECT_EQ(m.Element(), 1);
    EXPECT_EQ(axis.Dateiname(), "FS.axr");
    EXPECT_TRUE(m.changed());

    rig.view.nextAktion = 4; // flip twice restores the direction
    m.leverDoubleClicked(0);
    EXPECT_EQ(axis.Flip(), 1);
    EXPECT_EQ(rig.view.leverTips[0], "-FS.axr");
    m.leverDoubleClicked(0);
    EXPECT_EQ(axis.Flip(), 0);

    rig.view.nextAktion = 1; // choose a file: the dialog is cancelled, the assignment stays
    m.leverDoubleClicked(0);
    EXPECT_EQ(rig.dialogs.fileRequests.size(), 1u);
    EXPECT_FALSE(rig.dialogs.fileRequests[0].save);

    rig.view.nextAktion = 2; // remove the assignment
    m.leverDoubleClicked(0);
    EXPECT_EQ(axis.Dateiname(), "");
    EXPECT_EQ(rig.view.leverTips[0], "Nicht zugeordnet");
}

TEST(KordanMainWindow, ButtonDialogMarksTheProfileChangedAndRefreshesTips) {
    ActiveRig rig;
    auto& m = rig.start();
    rig.view.onButtonDialog = [&](int16_t element) {
        auto& b = m.Profil()->buttons(element);
        b.Defined = true;
        b.Bezeichnung = "Sand";
    };
    m.buttonDoubleClicked(4);
    EXPECT_EQ(m.Element(), 5);
    EXPECT_TRUE(m.changed());
    EXPECT_EQ(rig.view.buttonTips[4], "Sand");
}

TEST(KordanMainWindow, AxisReloadTakesSavedAxisFilesIntoTheProfile) {
    ActiveRig rig;
    rig.writeProfile();
    auto& m = rig.start();
    ASSERT_TRUE(m.Profil()->load("test.cfr"));
    EXPECT_EQ(m.Profil()->Axis(1).ZoneCount(), 1);
    rig.dir.write("FS.axr", "1.0\r\n[Zones]\r\n 0 \r\n");
    m.AxisReload();
    EXPECT_EQ(m.Profil()->Axis(1).ZoneCount(), 0);
}

TEST(KordanMainWindow, FileMenuAsksBeforeOpeningOverChanges) {
    ActiveRig rig;
    rig.writeProfile();
    auto& m = rig.start();
    ASSERT_TRUE(m.Profil()->load("test.cfr"));
    m.setChanged(true);
    rig.dialogs.answers.push_back(MsgAnswer::Cancel);
    m.mnuDateiOeffnen();
    EXPECT_EQ(rig.dialogs.messages.back().text, "Aenderungen speichern?");
    EXPECT_EQ(rig.dialogs.messages.back().icon, MsgIcon::None);
    EXPECT_TRUE(rig.dialogs.fileRequests.empty()) << "Cancel opens nothing";
    EXPECT_TRUE(m.changed());

    rig.dialogs.answers.push_back(MsgAnswer::No);
    rig.dialogs.fileChoices.push_back(FakeDialogs::chosen(rig.dir.file("test.cfr")));
    m.mnuDateiOeffnen();
    EXPECT_FALSE(m.changed());
    EXPECT_EQ(rig.view.profil, "test.cfr");

    m.setChanged(true);
    m.mnuDateiSpeichern();
    EXPECT_FALSE(m.changed());
    EXPECT_TRUE(rig.dialogs.fileRequests.back().save == false) << "Save needs no dialog";
}

TEST(KordanMainWindow, LeverPositionsForTheAxisEditorFollowTheFlip) {
    ActiveRig rig;
    rig.writeProfile();
    auto& m = rig.start();
    ASSERT_TRUE(m.Profil()->load("test.cfr"));
    m.Profil()->Axis(2).setFlip(1);
    rig.hid.reports.push_back(report({{1, 255}, {2, 255}}));
    m.PollController();
    EXPECT_EQ(rig.view.positions[0], 255);
    EXPECT_EQ(rig.view.positions[1], 0);
}

TEST(KordanMainWindow, CommandLogListsDeliveredAndDroppedCommandsWhenSwitchedOn) {
    ActiveRig rig;
    auto& m = rig.start();
    EXPECT_FALSE(rig.view.commandLogVisible) << "off by default";
    m.Sender()->send(28, 1);
    EXPECT_TRUE(rig.view.commandLog.empty());
    m.mnuBefehlsprotokoll();
    EXPECT_EQ(rig.settings.values["Befehlsprotokoll"], "1");
    rig.clock.now += 12345;
    m.Sender()->send(28, 2);
    m.Sender()->send(1000, -3); // the three steps and the up are the sender's own
    m.Sender()->send(37, 1);
    rig.window.closeWindow(77);
    m.Sender()->GetConnect();
    m.Sender()->send(29, 3);
    EXPECT_EQ(rig.view.commandLog,
              (std::vector<std::string>{
                  "12.3 s  28 Pfeife: Up", "12.3 s  1000 Regelbereich Fahrschalter: -3",
                  "12.3 s  37 Schnellbremsung: Down",
                  "12.3 s  29 SiFa: DownUp (verworfen, Zusi nicht gefunden)"}));
}

namespace {

// The simulator has the locomotive BR 101 loaded; its directory is "C:\Zusi".
struct LokRig : ActiveRig {
    LokRig() {
        registry.set("Software\\zusi", "ZusiDir", "C:\\Zusi");
        std::filesystem::create_directories(dir.file("zusi/temp"));
        std::filesystem::create_directories(dir.file("zusi/Loks/Elektrisch"));
        std::filesystem::copy_file(std::string(KORDAN_SOURCE_DIR) +
                                       "/tests/data/loks/Elektrisch/BR 101.lok",
                                   dir.file("zusi/Loks/Elektrisch/BR 101.lok"));
        dir.write("zusi/temp/aktuellerzug.txt", "Loks\\Elektrisch\\BR 101.lok\r\n");
    }
    void tick(KordanMain& m) {
        clock.now += 101;
        m.loopPass();
    }
};

} // namespace

TEST(KordanMainLok, AutomaticModeLoadsTheProfileForLokAndController) {
    LokRig rig;
    rig.settings.values["AutoLoad"] = "1";
    rig.writeProfile();
    std::filesystem::copy_file(rig.dir.file("test.cfr"), rig.dir.file("BR 101_1.cfr"));
    auto& m = rig.start();
    EXPECT_EQ(m.profileNameForLok(), "_1.cfr") << "before the watcher has seen a locomotive";
    rig.tick(m); // the first tick asks the watcher at once
    EXPECT_EQ(rig.view.lok, "BR 101");
    EXPECT_EQ(rig.view.profil, "BR 101_1.cfr");
    EXPECT_EQ(rig.view.buttonTips[0], "Pfeife");
    EXPECT_TRUE(std::filesystem::exists(rig.dir.file("automatisch_FS.axr")))
        << "the axes are generated whatever the mode";
    EXPECT_FALSE(m.changed());
}

TEST(KordanMainLok, AMissingProfileIsReportedWithTheSignOnTheDisplay) {
    LokRig rig;
    rig.settings.values["AutoLoad"] = "1";
    auto& m = rig.start();
    rig.hid.written.clear();
    rig.tick(m);
    EXPECT_EQ(rig.dialogs.texts().back(), "Konfiguration BR 101_1.cfr nicht gefunden.");
    EXPECT_EQ(rig.dialogs.messages.back().icon, MsgIcon::Information);
    // Sign while the message is open, blank afterwards; the periodic LED refresh follows.
    ASSERT_GE(rig.hid.written.size(), 2u);
    EXPECT_EQ(rig.hid.written[0], displayReport(0x78, 0x5C, 0x38));
    EXPECT_EQ(rig.hid.written[1], displayReport(0, 0, 0));
    EXPECT_EQ(std::count(rig.view.log.begin(), rig.view.log.end(), "front"), 1);
}

TEST(KordanMainLok, UnsavedChangesAreAskedAboutPerMode) {
    struct Case {
        int mode;
        MsgAnswer answer;
        bool saveDialogCancelled;
        bool expectLoaded;
        bool expectChanged;
    };
    // Automatic: Yes with the save dialog cancelled loads nothing and keeps the changes;
    // Cancel keeps them too. Easy mode loads automatisch.cfr whatever the answer.
    for (Case c :
         {Case{1, MsgAnswer::Yes, true, false, true}, Case{1, MsgAnswer::No, false, true, false},
          Case{1, MsgAnswer::Cancel, false, false, true},
          Case{2, MsgAnswer::Cancel, false, true, false},
          Case{0, MsgAnswer::No, false, false, false}}) {
        LokRig rig;
        rig.settings.values["AutoLoad"] = std::to_string(c.mode);
        rig.writeProfile();
        std::filesystem::copy_file(rig.dir.file("test.cfr"), rig.dir.file("BR 101_1.cfr"));
        std::filesystem::copy_file(rig.dir.file("test.cfr"), rig.dir.file("automatisch.cfr"));
        auto& m = rig.start();
        m.setChanged(true); // a new profile, never saved: Save asks for a name
        rig.dialogs.answers.push_back(c.answer);
        if (!c.saveDialogCancelled && c.answer == MsgAnswer::Yes)
            rig.dialogs.fileChoices.push_back(FakeDialogs::chosen(rig.dir.file("neu.cfr")));
        rig.tick(m);
        ASSERT_FALSE(rig.dialogs.messages.empty()) << c.mode;
        EXPECT_EQ(rig.dialogs.messages[0].text, "Aktuelles Profil wurde geändert, Speichern?");
        EXPECT_EQ(rig.dialogs.messages[0].buttons, MsgButtons::YesNoCancel);
        EXPECT_EQ(!rig.view.profil.empty(), c.expectLoaded) << c.mode << " " << int(c.answer);
        EXPECT_EQ(m.changed(), c.expectChanged) << c.mode << " " << int(c.answer);
    }
}

TEST(KordanMainLok, SwitchingToAutomaticLoadsAtOnceAndSaveAsOffersTheName) {
    LokRig rig;
    rig.settings.values["AutoLoad"] = "0";
    rig.writeProfile();
    std::filesystem::copy_file(rig.dir.file("test.cfr"), rig.dir.file("BR 101_1.cfr"));
    auto& m = rig.start();
    rig.tick(m);
    EXPECT_EQ(rig.view.profil, "") << "manual mode loads nothing";
    m.loadModeSelected(1);
    EXPECT_EQ(rig.view.profil, "BR 101_1.cfr");
    m.mnuDateiSaveAs();
    ASSERT_FALSE(rig.dialogs.fileRequests.empty());
    EXPECT_EQ(rig.dialogs.fileRequests.back().offeredName, "BR 101_1.cfr");
}

TEST(KordanMainLok, TheVehicleEditorGetsTheLocomotiveAsOneArgument) {
    LokRig rig;
    auto& m = rig.start();
    rig.tick(m);
    m.mnuLokEditor();
    ASSERT_EQ(rig.starter.started.size(), 1u);
    auto& args = rig.starter.started[0].args;
    ASSERT_FALSE(args.empty());
    EXPECT_EQ(args.back(), "C:\\Zusi\\Loks\\Elektrisch\\BR 101.lok");
}
