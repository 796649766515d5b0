#include "app/KordanMain.h"

#include "app/FakeView.h"
#include "app/ProfileSession.h"
#include "axis/ZusiAxis.h"
#include "calibration/ZusiKalibrierung.h"
#include "device/Reports.h"
#include "fakes/FakeDialogs.h"
#include "fakes/FakePlatform.h"
#include "fakes/FakeRegistry.h"
#include "fakes/FakeSimWindow.h"
#include "fakes/TempDir.h"
#include "profile/ZusiProfile.h"
#include "send/ZusiSend.h"

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
    int32_t EnumeratePIE(int32_t, DeviceInfoTable& info, int32_t& count) override {
        count = static_cast<int32_t>(devices.size());
        for (size_t i = 0; i < devices.size() && i < 25; ++i)
            std::copy(devices[i].begin(), devices[i].end(), info.begin() + 4 * i);
        return enumResult;
    }
    int32_t SetupInterface(int32_t h) override { return log("setup", h), 0; }
    int32_t ReadData(int32_t, InputReport& r) override {
        if (reports.empty())
            return 1;
        r = reports.front();
        reports.pop_front();
        return 0;
    }
    int32_t WriteData(int32_t, const OutputReport& r) override { return written.push_back(r), 0; }
    void CloseInterface(int32_t h) override { log("close", h); }
    bool waitForReport(int32_t, int32_t ms) override {
        return canWait && (waits.push_back(ms), true);
    }
    void log(const char* what, int32_t h) { calls.push_back(what + (" " + std::to_string(h))); }

    std::vector<std::array<int32_t, 4>> devices; // product, usage, usage page, handle
    int32_t enumResult = 0;
    std::deque<InputReport> reports;
    std::vector<OutputReport> written;
    std::vector<std::string> calls;
    bool canWait = false;
    std::vector<int32_t> waits;
};

constexpr const char* kZusiKey = "Software\\zusi\\zusi";

// Key settings T0 = 65 ("Fahrschalter auf"), T9 = 72 ("Pfeife"), T14 = 90 (brake); the
// simulator's window "Zusi 2" is in front.
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
    ZusiKalibrierung uncalibrated{dialogs};
    ZusiKalibrierung calibrated{dialogs, calibrationFile()};
    ZusiKalibrierung* calibration = &calibrated;
    std::unique_ptr<KordanMain> main;

    Rig() {
        for (auto [name, value] :
             {std::pair{"T0", "65"}, {"T1", "66"}, {"T9", "72"}, {"T14", "90"}})
            registry.set(kZusiKey, name, value);
        window.addWindow(77, "Zusi 2");
        window.setForeground(77);
    }
    KordanMain& start() {
        main = std::make_unique<KordanMain>(
            KordanServices{hid, settings, clock, events, dialogs, window, registry, starter,
                           [this](const std::string& p) { return mapZusi(p); }, dir.path(),
                           *calibration},
            view);
        main->startUp();
        return *main;
    }
    // The simulator's "C:\\Zusi" is the test directory's "zusi" folder.
    std::string mapZusi(std::string path) {
        if (path.rfind("C:\\Zusi", 0) != 0)
            return {};
        std::replace(path.begin(), path.end(), '\\', '/');
        return dir.path() + "/zusi" + path.substr(7);
    }
    // The simulator has the locomotive BR 101 loaded.
    void lok() {
        registry.set("Software\\zusi", "ZusiDir", "C:\\Zusi");
        std::filesystem::create_directories(dir.file("zusi/temp"));
        std::filesystem::create_directories(dir.file("zusi/Loks/Elektrisch"));
        std::filesystem::copy_file(std::string(KORDAN_SOURCE_DIR) +
                                       "/tests/data/loks/Elektrisch/BR 101.lok",
                                   dir.file("zusi/Loks/Elektrisch/BR 101.lok"));
        dir.write("zusi/temp/aktuellerzug.txt", "Loks\\Elektrisch\\BR 101.lok\r\n");
    }
    void tick() {
        clock.now += 101;
        main->loopPass();
    }
    std::string calibrationFile() {
        std::string s = "1.0\r\n[Kalibrierung]\r\n";
        for (int i = 1; i <= 7; ++i)
            s += "[Hebel" + std::to_string(i) + "]\r\n 4 \r\n 0 \r\n 255 \r\n";
        dir.write("cal.dat", s);
        return dir.file("cal.dat");
    }
    void device(int32_t handle = 5) { hid.devices.push_back({210, 4, 12, handle}); }
    void poll(std::initializer_list<std::pair<int, uint8_t>> levers,
              std::initializer_list<int> buttons = {}) {
        InputReport r{};
        for (auto [i, v] : levers)
            r[i] = v;
        for (int k : buttons)
            r[8 + (k - 1) / 8] |= uint8_t(1 << ((k - 1) % 8));
        hid.reports.push_back(r);
        main->PollController();
    }
    std::vector<std::string> keys() const {
        std::vector<std::string> out;
        for (auto& e : window.events)
            out.push_back((e.message == 256 ? "down " : "up ") + std::to_string(e.virtualKey));
        return out;
    }
    // Button 1 holds the horn, button 2 taps "Fahrschalter auf"; lever 1 has a regulator
    // zone 0-255 of 10 notches.
    void writeProfile(const std::string& name = "test.cfr") {
        std::string p = "1.0\r\n[Buttons]\r\nPfeife\r\n 28 \r\n 0 \r\n 0 \r\n 1 \r\n 0 \r\n 0 \r\n"
                        "Auf\r\n 14 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n";
        for (int k = 3; k <= 44; ++k)
            p += "#\r\n";
        p += "[Axis]\r\nFS.axr\r\n 0 \r\n";
        for (int i = 2; i <= 7; ++i)
            p += "#\r\n";
        dir.write(name, p);
        dir.write("FS.axr", "1.0\r\n[Zones]\r\n 1 \r\nFahren\r\n 0 \r\n 255 \r\n 0 \r\n 0 \r\n"
                            " 0 \r\n 1000 \r\n 10 \r\n 0 \r\n");
    }
};

} // namespace

TEST(KordanMain, FirstStartWithoutSettingsOpensTheOnlyKordanAndGoesActive) {
    Rig rig;
    rig.hid.devices = {{210, 4, 13, 1}, {211, 4, 12, 2}, {210, 4, 12, 9}};
    rig.calibration = &rig.uncalibrated;
    auto& m = rig.start();
    EXPECT_EQ(rig.view.devices.size(), 1u);
    EXPECT_EQ(rig.view.selected, 0);
    EXPECT_EQ(rig.hid.calls, std::vector<std::string>{"setup 9"}) << "no close before the loop";
    EXPECT_FALSE(rig.view.easyVisible);
    EXPECT_EQ(rig.view.loadMode, 2) << "easy mode is selected although its option is hidden";
    EXPECT_EQ(rig.settings.writes,
              (std::vector<std::string>{"AutoLoad=2", "Modus=Test", "Modus=Run"}));
    EXPECT_TRUE(rig.view.speaker);
    EXPECT_EQ(rig.hid.written[0], speakerReport(true));
    EXPECT_EQ(rig.view.led, 0);
    EXPECT_EQ(m.mode(), KordanMain::Mode::Active);
    EXPECT_EQ(rig.view.lok, "<Unbekannt>");
    EXPECT_EQ(rig.view.log, (std::vector<std::string>{"show", "focus", "wizard"}));
    EXPECT_EQ(std::filesystem::current_path(), std::filesystem::path(rig.dir.path()));
    EXPECT_TRUE(rig.dialogs.messages.empty());
}

TEST(KordanMain, StoredSettingsAreInterpretedAsTexts) {
    Rig rig;
    rig.settings.values = {
        {"AutoLoad", "1 "}, {"Polling", "abc"}, {"Speaker", "1.0"}, {"Led", "5"}, {"Modus", "run"}};
    auto& m = rig.start();
    EXPECT_EQ(rig.view.loadMode, -1);
    EXPECT_EQ(rig.settings.values["AutoLoad"], "1 ") << "no option selected, nothing written";
    EXPECT_TRUE(rig.view.speaker);
    EXPECT_EQ(rig.view.led, -1);
    EXPECT_EQ(m.mode(), KordanMain::Mode::Test) << "only exactly \"Run\" means active";
    EXPECT_EQ(rig.dialogs.texts(), std::vector<std::string>{"Kein Kordan angeschlossen."});
    m.loopPass();
    EXPECT_TRUE(rig.clock.sleeps.empty()) << "an interval of 0 never sleeps";

    Rig other;
    other.settings.values = {{"Polling", " 7.5"}, {"Speaker", "0"}, {"Led", "2"}};
    other.device();
    other.hid.enumResult = 3;
    other.start().loopPass();
    EXPECT_TRUE(other.view.devices.empty());
    EXPECT_TRUE(other.dialogs.messages.empty()) << "a failed enumeration is silent";
    EXPECT_FALSE(other.view.speaker);
    EXPECT_EQ(other.view.led, 2);
    EXPECT_EQ(other.clock.sleeps, std::vector<int32_t>{8});
}

TEST(KordanMain, ModesAreStoredAndGuarded) {
    Rig rig;
    rig.device();
    rig.device(6);
    rig.settings.values["Modus"] = "Test";
    auto& m = rig.start();
    EXPECT_EQ(rig.view.modeLabel, "Hardware - Test / Konfiguratrion");
    EXPECT_TRUE(rig.view.deviceListEnabled);
    m.mnuModusAktiv();
    ASSERT_EQ(rig.dialogs.messages.size(), 1u);
    EXPECT_EQ(rig.dialogs.messages[0].text, "Bitte zuerst Gerät markieren!");
    EXPECT_EQ(rig.dialogs.messages[0].title, "Aktivieren nicht möglich");
    EXPECT_EQ(rig.dialogs.messages[0].icon, MsgIcon::Exclamation);
    m.deviceClicked(1);
    m.mnuModusAktiv();
    EXPECT_EQ(rig.view.modeLabel, "Aktiv");
    EXPECT_FALSE(rig.view.deviceListEnabled);
    EXPECT_EQ(rig.settings.values["Modus"], "Run");
    m.mnuModusKalibrieren();
    EXPECT_EQ(rig.dialogs.messages.back().text, "Kalibrierung nur im Test-Modus möglich");
    EXPECT_EQ(rig.dialogs.messages.back().title, "Nicht möglich");
    EXPECT_FALSE(rig.view.wizardVisible);
    m.mnuModusTest();
    m.mnuModusKalibrieren();
    EXPECT_TRUE(rig.view.wizardVisible);
    m.mnuAusgabeLautsprecher();
    EXPECT_EQ(rig.settings.values["Speaker"], "0");
    EXPECT_EQ(rig.hid.written.back(), speakerReport(false));
}

TEST(KordanMain, TestModeShowsValuesAndFeedsTheVisibleWizard) {
    Rig rig;
    rig.device();
    rig.settings.values["Modus"] = "Test";
    auto& m = rig.start();
    rig.poll({{1, 0}, {2, 255}, {3, 128}}, {1, 41, 44});
    EXPECT_EQ(rig.view.levers[1], "255");
    EXPECT_EQ(rig.view.levers[2], "126");
    std::vector<int> lit;
    for (int k = 0; k < 44; ++k)
        if (rig.view.buttons[k])
            lit.push_back(k + 1);
    EXPECT_EQ(lit, (std::vector<int>{1, 41, 44}));
    EXPECT_TRUE(rig.view.wizardData.empty()) << "hidden wizard gets nothing";
    rig.view.wizardVisible = true;
    rig.poll({{1, 1}, {2, 2}, {7, 200}});
    EXPECT_EQ(rig.view.wizardData, (std::vector<std::array<uint8_t, 7>>{{1, 2, 0, 0, 0, 0, 200}}));
    m.mnuModusAktiv();
    rig.poll({{1, 50}}, {2});
    EXPECT_EQ(rig.view.wizardData.size(), 1u) << "nothing in active mode";
    EXPECT_EQ(rig.view.levers[1], "2") << "fields keep their test-mode values";
}

TEST(KordanMain, ActiveModePassesButtonsThenLeversAndTheTickRunsTimers) {
    Rig rig;
    rig.device();
    rig.writeProfile();
    rig.settings.values["Modus"] = "Test";
    auto& m = rig.start();
    ASSERT_TRUE(m.profiles()->loadByName("test.cfr"));
    rig.poll({{1, 128}}, {1, 2});
    EXPECT_TRUE(rig.window.events.empty()) << "test mode sends nothing";
    m.mnuModusAktiv();
    EXPECT_EQ(rig.view.leverTips[0], "+FS.axr");
    EXPECT_EQ(rig.view.buttonTips[2], "Nicht definiert");
    rig.poll({{1, 128}}, {1, 2});
    // Button 1 (held horn), button 2 (tap), then lever 1 from 0 to 126: 5 notches up.
    EXPECT_EQ(rig.keys(),
              (std::vector<std::string>{"down 72", "down 65", "up 65", "down 65", "down 65",
                                        "down 65", "down 65", "down 65", "up 65"}));
    rig.window.events.clear();
    rig.poll({{1, 128}}, {2});
    EXPECT_EQ(rig.keys(), std::vector<std::string>{"up 72"});
    rig.window.events.clear();
    m.Sender()->send(37, 1); // emergency brake: ten downs, the up six ticks later
    for (int t = 0; t < 8; ++t)
        m.loopPass(); // +80 ms: no tick yet
    EXPECT_EQ(rig.window.events.size(), 10u);
    for (int t = 0; t < 60; ++t)
        m.loopPass();
    EXPECT_EQ(rig.keys().back(), "up 90");
    EXPECT_EQ(rig.view.modeLabel, "Aktiv - mit Zusi verbunden");
    EXPECT_EQ(rig.view.modeColour, LabelColour::Green);
    rig.window.closeWindow(77);
    for (int t = 0; t < 220; ++t)
        m.loopPass();
    EXPECT_EQ(rig.view.modeLabel, "Aktiv - Zusi nicht gefunden");
    EXPECT_EQ(rig.view.modeColour, LabelColour::Red);
    EXPECT_EQ(rig.hid.written.back(), displayReport(0x40, 0x40, 0x40)) << "dashes";
}

TEST(KordanMain, ShutdownReleasesKeysBlanksSilencesAndLeavesTheCalibrationToItsOwner) {
    Rig rig;
    rig.device();
    rig.device(8);
    rig.writeProfile();
    rig.settings.values["AutoLoad"] = "0";
    auto& m = rig.start();
    m.deviceClicked(0);
    ASSERT_TRUE(m.profiles()->loadByName("test.cfr"));
    rig.poll({}, {1}); // the horn is held
    m.deviceClicked(1);
    EXPECT_EQ(rig.keys(), (std::vector<std::string>{"down 72", "up 72"}))
        << "released on switching";
    auto close = std::find(rig.hid.calls.begin(), rig.hid.calls.end(), "close 5");
    EXPECT_EQ(std::vector<std::string>(close, rig.hid.calls.end()),
              (std::vector<std::string>{"close 5", "setup 8"}));
    rig.window.events.clear();
    m.Sender()->send(37, 1); // the emergency brake, its release still pending
    rig.window.events.clear();
    rig.hid.written.clear();
    rig.events.onEvents = [&](int n) {
        if (n == 1)
            m.Form_Unload();
    };
    m.runLoop(); // the first pass's events run; the second pass's events close the window
    EXPECT_EQ(rig.keys(), std::vector<std::string>{"up 90"});
    ASSERT_EQ(rig.hid.written.size(), 2u);
    EXPECT_EQ(rig.hid.written[0], displayReport(0, 0, 0));
    EXPECT_EQ(rig.hid.written[1], speakerReport(false));
    EXPECT_EQ(rig.settings.values.count("Speaker"), 0u) << "the setting stays";
    EXPECT_FALSE(std::filesystem::exists(rig.dir.file("Kalibrierung.dat")));
    EXPECT_TRUE(rig.dialogs.messages.empty()) << "no question without changes";
    EXPECT_EQ(rig.hid.calls.back(), "setup 8") << "the controller stays open";
    m.Form_Unload(); // a second close does nothing
}

TEST(KordanMainProfiles, TheLocomotivesProfileIsLoadedAsTheLoadModeSays) {
    struct Case {
        int mode;
        MsgAnswer answer; // to "Aktuelles Profil wurde geändert, Speichern?"
        bool saveDialogCancelled;
        std::string expectProfil;
        bool expectChanged;
    };
    // Automatic: Yes with the save dialog cancelled loads nothing and keeps the changes, and
    // so does Cancel. Easy mode loads automatisch.cfr whatever the answer.
    for (const Case& c : {Case{1, MsgAnswer::Yes, true, "", true},
                          Case{1, MsgAnswer::Yes, false, "BR 101_1.cfr", false},
                          Case{1, MsgAnswer::No, false, "BR 101_1.cfr", false},
                          Case{1, MsgAnswer::Cancel, false, "", true},
                          Case{2, MsgAnswer::Cancel, false, "automatisch.cfr", false},
                          Case{0, MsgAnswer::No, false, "", false}}) {
        Rig rig;
        rig.device();
        rig.lok();
        rig.settings.values["AutoLoad"] = std::to_string(c.mode);
        rig.writeProfile("BR 101_1.cfr");
        rig.writeProfile("automatisch.cfr");
        auto& m = rig.start();
        m.profiles()->setChanged(true); // a new profile, never saved: Save asks for a name
        rig.dialogs.answers.push_back(c.answer);
        if (!c.saveDialogCancelled)
            rig.dialogs.fileChoices.push_back(FakeDialogs::chosen(rig.dir.file("neu.cfr")));
        rig.tick(); // the first tick asks the watcher at once
        std::string what = std::to_string(c.mode) + " " + std::to_string(int(c.answer));
        EXPECT_EQ(rig.view.lok, "BR 101") << what;
        ASSERT_FALSE(rig.dialogs.messages.empty()) << what;
        EXPECT_EQ(rig.dialogs.messages[0].text, "Aktuelles Profil wurde geändert, Speichern?");
        EXPECT_EQ(rig.dialogs.messages[0].buttons, MsgButtons::YesNoCancel);
        EXPECT_EQ(rig.view.profil, c.expectProfil) << what;
        EXPECT_EQ(m.profiles()->changed(), c.expectChanged) << what;
        EXPECT_TRUE(std::filesystem::exists(rig.dir.file("automatisch_FS.axr")))
            << "axes are generated in every mode";
    }
}

TEST(KordanMainProfiles, AMissingProfileIsReportedWithTheSignAndSaveAsOffersTheName) {
    Rig rig;
    rig.device();
    rig.lok();
    rig.settings.values["AutoLoad"] = "0";
    auto& m = rig.start();
    rig.tick();
    EXPECT_EQ(rig.view.profil, "") << "manual mode loads nothing";
    rig.hid.written.clear();
    m.loadModeSelected(1);
    EXPECT_EQ(rig.dialogs.texts().back(), "Konfiguration BR 101_1.cfr nicht gefunden.");
    EXPECT_EQ(rig.dialogs.messages.back().icon, MsgIcon::Information);
    EXPECT_EQ(rig.hid.written,
              (std::vector<OutputReport>{displayReport(0x78, 0x5C, 0x38), displayReport(0, 0, 0)}));
    EXPECT_EQ(rig.view.log.back(), "front");
    m.mnuDateiSaveAs();
    EXPECT_EQ(rig.dialogs.fileRequests.back().offeredName, "BR 101_1.cfr");
    m.mnuLokEditor();
    ASSERT_EQ(rig.starter.started.size(), 1u);
    EXPECT_EQ(rig.starter.started[0].args.back(), "C:\\Zusi\\Loks\\Elektrisch\\BR 101.lok");
}

TEST(KordanMainProfiles, FileMenuAndShutdownAskBeforeChangesAreLost) {
    Rig rig;
    rig.writeProfile();
    auto& m = rig.start();
    ProfileSession& p = *m.profiles();
    p.setChanged(true);
    rig.dialogs.answers = {MsgAnswer::Cancel, MsgAnswer::No};
    p.open();
    EXPECT_EQ(rig.dialogs.messages.back().text, "Aenderungen speichern?");
    EXPECT_EQ(rig.dialogs.messages.back().buttons, MsgButtons::YesNoCancel);
    EXPECT_TRUE(rig.dialogs.fileRequests.empty()) << "Cancel opens nothing";
    rig.dialogs.fileChoices.push_back(FakeDialogs::chosen(rig.dir.file("test.cfr")));
    p.open();
    EXPECT_FALSE(p.changed());
    EXPECT_EQ(rig.view.profil, "test.cfr");
    p.profile().buttons(3).Defined = true;
    p.profile().buttons(3).Bezeichnung = "Neu";
    p.setChanged(true);
    rig.dialogs.answers = {MsgAnswer::Yes};
    m.Form_Unload();
    EXPECT_EQ(rig.dialogs.messages.back().buttons, MsgButtons::YesNo) << "no Cancel at the end";
    EXPECT_EQ(rig.dialogs.messages.back().icon, MsgIcon::Question);
    EXPECT_NE(rig.dir.read("test.cfr").find("Neu\r\n"), std::string::npos);
}

TEST(KordanMainProfiles, DoubleClicksChangeTheAssignmentsAndTheEditorGetsItsFileOnce) {
    Rig rig;
    rig.writeProfile();
    auto& m = rig.start();
    ASSERT_TRUE(m.profiles()->loadByName("test.cfr"));
    ZusiAxis& axis = m.Profil()->Axis(1);
    rig.view.nextAktion = 0; // cancelled: nothing happens, but the profile counts as changed
    m.leverDoubleClicked(0);
    EXPECT_EQ(rig.view.log.back(), "lever 1");
    EXPECT_TRUE(m.profiles()->changed());
    rig.view.nextAktion = 4;
    m.leverDoubleClicked(0);
    EXPECT_EQ(rig.view.leverTips[0], "-FS.axr");
    rig.view.nextAktion = 3;
    m.leverDoubleClicked(0);
    EXPECT_EQ(rig.view.log.back(), "axis 1");
    EXPECT_EQ(m.AxisFile(), "FS.axr");
    EXPECT_EQ(m.AxisFile(), "");
    rig.dir.write("FS.axr", "1.0\r\n[Zones]\r\n 0 \r\n");
    m.AxisReload();
    EXPECT_EQ(axis.ZoneCount(), 0);
    rig.view.nextAktion = 1; // choose a file: the dialog is cancelled, the assignment stays
    m.leverDoubleClicked(0);
    EXPECT_FALSE(rig.dialogs.fileRequests.at(0).save);
    rig.view.nextAktion = 2;
    m.leverDoubleClicked(0);
    EXPECT_EQ(rig.view.leverTips[0], "Nicht zugeordnet");
    rig.view.onButtonDialog = [&](int16_t element) {
        m.Profil()->buttons(element) = {.Bezeichnung = "Sand", .Defined = true};
    };
    m.profiles()->setChanged(false);
    m.buttonDoubleClicked(4);
    EXPECT_TRUE(m.profiles()->changed());
    EXPECT_EQ(rig.view.buttonTips[4], "Sand");
}

TEST(KordanMain, CommandLogListsDeliveredAndDroppedCommandsWhenSwitchedOn) {
    Rig rig;
    auto& m = rig.start();
    EXPECT_FALSE(rig.view.commandLogVisible) << "off by default";
    m.Sender()->send(28, 1);
    EXPECT_TRUE(rig.view.commandLog.empty());
    m.mnuBefehlsprotokoll();
    EXPECT_EQ(rig.settings.values["Befehlsprotokoll"], "1");
    rig.clock.now += 12345;
    m.Sender()->send(1000, -3); // the three steps and the up are the sender's own
    rig.window.closeWindow(77);
    m.Sender()->GetConnect();
    m.Sender()->send(29, 3);
    EXPECT_EQ(
        rig.view.commandLog,
        (std::vector<std::string>{"12.3 s  1000 Regelbereich Fahrschalter: -3",
                                  "12.3 s  29 SiFa: DownUp (verworfen, Zusi nicht gefunden)"}));
}
