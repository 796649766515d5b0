#include "app/KordanMain.h"

#include "app/KordanView.h"
#include "app/LedDigits.h"
#include "axis/ZusiAxis.h"
#include "calibration/ZusiKalibrierung.h"
#include "common/Clock.h"
#include "common/Dialogs.h"
#include "common/NumberText.h"
#include "common/Paths.h"
#include "common/Settings.h"
#include "device/Reports.h"
#include "profile/ZusiProfile.h"
#include "send/ZusiSend.h"
#include "sim/ZusiLok.h"
#include "sim/ZusiRegistry.h"

#include <exception>
#include <filesystem>

namespace kordan {

namespace {

constexpr int kRevision = 2; // version 1.0.2; the easy mode's option shows only in revision 99

constexpr const char* kModeTestLabel = "Hardware - Test / Konfiguratrion";
constexpr const char* kNotFoundLabel = "Aktiv - Zusi nicht gefunden";

// Runs one step of a region whose failures are skipped step by step.
template <typename F> void ignoringErrors(F&& step) {
    try {
        step();
    } catch (const std::exception&) {
    }
}

} // namespace

KordanMain::KordanMain(KordanServices services, IKordanView& view)
    : m_s(std::move(services)), m_view(view) {}

KordanMain::~KordanMain() = default;

std::string KordanMain::HexPad(int64_t value, size_t width) {
    static const char* digits = "0123456789ABCDEF";
    uint64_t v = static_cast<uint64_t>(value) & 0xFFFFFFFFu; // a 32-bit number's hex text
    std::string s;
    do {
        s.insert(s.begin(), digits[v % 16]);
        v /= 16;
    } while (v != 0);
    if (s.size() < width)
        s.insert(0, width - s.size(), '0');
    return s;
}

std::string KordanMain::deviceEntryText(int32_t productId, int32_t usage, int32_t usagePage,
                                        int32_t handle) {
    std::string h = std::to_string(handle);
    if (handle >= 0)
        h.insert(h.begin(), ' ');
    return "PID: " + HexPad(productId, 3) + ", Usg: " + HexPad(usage, 3) +
           ", UP: " + HexPad(usagePage, 3) + " -- splat device # " + h + " Kordan Desktop";
}

int32_t KordanMain::handleFromEntry(const std::string& entry) {
    auto hash = entry.find('#');
    if (hash == std::string::npos || hash + 2 > entry.size())
        return 0;
    return readInt32(std::string_view(entry).substr(hash + 2));
}

void KordanMain::Form_Load() {
    startUp();
    runLoop();
}

void KordanMain::startUp() {
    // 1. The long-lived objects. The calibration file lives in the program's directory
    // (not in whatever directory the program was started from), so it is found again.
    m_sender = std::make_unique<ZusiSend>(m_s.simWindow, m_s.registry);
    m_startMs = m_s.clock.milliseconds();
    m_sender->setObserver(
        [this](int32_t code, int32_t befehl, ZusiSend::Outcome outcome, bool internal) {
            // The sender's own expansions (brake presses, regulator steps) would drown the
            // commands the user gave.
            if (!m_commandLog || internal || outcome == ZusiSend::Outcome::Rejected)
                return;
            m_view.appendCommandLog(commandLogLine(m_s.clock.milliseconds() - m_startMs, code,
                                                   befehl, outcome == ZusiSend::Outcome::Dropped));
        });
    m_profil = std::make_unique<ZusiProfile>(m_s.dialogs, m_s.programDir);
    m_lok = std::make_unique<ZusiLok>(m_s.registry, m_s.dialogs, m_s.processStarter, m_s.programDir,
                                      m_s.mapSimPath);
    m_lok->LokChange = [this] { Lok_LokChange(); };
    m_registry = std::make_unique<ZusiRegistry>(m_s.registry);
    m_registry->schluessel("Software\\zusi\\zusi");
    std::string calibration = m_s.calibrationFile.empty()
                                  ? joinPath(m_s.programDir, "Kalibrierung.dat")
                                  : m_s.calibrationFile;
    m_kalib = std::make_unique<ZusiKalibrierung>(m_s.dialogs, calibration);
    // 2. Relative file names refer to the program's directory.
    std::error_code ec;
    std::filesystem::current_path(m_s.programDir, ec);
    // 3.-4.
    m_view.setEasyOptionVisible(kRevision == 99);
    m_view.setLokText("<Unbekannt>");
    // 5. Selecting the stored option writes it back; nothing loads yet (not running).
    std::string autoLoad = m_s.settings.get("AutoLoad", "2");
    if (autoLoad == "0" || autoLoad == "1" || autoLoad == "2")
        loadModeSelected(autoLoad[0] - '0');
    else
        m_view.setLoadMode(-1);
    m_commandLog = m_s.settings.get("Befehlsprotokoll", "0") == "1";
    m_view.setCommandLogVisible(m_commandLog);
    // 6.
    m_pollInterval = readInt32(m_s.settings.get("Polling", "10"));
    // The stored mode is read before step 11 stores "Test", or the program could never
    // start in the mode it was left in.
    std::string storedMode = m_s.settings.get("Modus", "Run");
    // 7.-9.
    InitKordan();
    m_view.setProfilText("");
    m_changed = false;
    m_view.showWindow();
    // 10. A single controller is opened without asking.
    if (m_devices.size() == 1) {
        m_view.setSelectedDevice(0);
        deviceClicked(0);
    }
    // 11.-12.
    SetMode(Mode::Test);
    m_running = true;
    m_lastTick = m_s.clock.milliseconds();
    // 13.-18. Failures of these steps are skipped one by one.
    ignoringErrors([&] { m_view.focusDeviceList(); });
    ignoringErrors([&] {
        m_speaker = readNumber(m_s.settings.get("Speaker", "1")) == 1;
        m_view.setSpeakerChecked(m_speaker);
        SpeakerOutput();
    });
    ignoringErrors([&] {
        int led = readInt32(m_s.settings.get("Led", "0"));
        m_led = (led >= 0 && led <= 2) ? led : -1;
        m_view.setLedChecked(m_led);
    });
    ignoringErrors([&] { m_s.events.processEvents(); });
    ignoringErrors([&] {
        if (m_kalib && !m_kalib->IsConfigured())
            m_view.showCalibrationWizard();
    });
    ignoringErrors([&] {
        if (!m_running)
            return; // the window was closed while events ran
        SetMode(storedMode == "Run" ? Mode::Active : Mode::Test);
    });
}

void KordanMain::runLoop() {
    while (loopPass()) {
    }
}

bool KordanMain::loopPass() {
    if (!m_running)
        return false;
    m_s.events.processEvents();
    // Closing the window inside the event processing ends the program here; nothing may
    // touch the released objects afterwards.
    if (!m_running)
        return false;
    if (m_pollInterval > 0) {
        if (m_deviceHandle == 0 || !m_s.hid.waitForReport(m_deviceHandle, m_pollInterval))
            m_s.clock.sleep(m_pollInterval);
    }
    try {
        PollController();
    } catch (const std::exception&) {
        // An error inside one poll ends that poll only; unrecorded changes come again.
    }
    double now = m_s.clock.milliseconds();
    if (m_lastTick + 1000 < now)
        m_lastTick = now; // after a long stall the missed ticks are dropped
    if (now < m_lastTick)
        m_lastTick = now; // the clock has wrapped
    if (m_lastTick + 100 < now) {
        PeriodicTick();
        m_lastTick += 100;
    }
    return true;
}

void KordanMain::InitKordan() {
    DeviceInfoTable info{};
    int32_t count = 0;
    int32_t result = m_s.hid.EnumeratePIE(kVendorId, info, count);
    m_devices.clear();
    m_selectedDevice = -1;
    if (result == 0) {
        if (count > kMaxDevices)
            count = kMaxDevices; // the table holds no more
        for (int32_t i = 0; i < count; ++i) {
            if (info[4 * i + 2] == kKordanUsagePage && info[4 * i] == kKordanProductId)
                m_devices.push_back(deviceEntryText(kKordanProductId, info[4 * i + 1],
                                                    kKordanUsagePage, info[4 * i + 3]));
        }
    }
    m_view.setDeviceList(m_devices);
    if (result == 0 && m_devices.empty())
        m_s.dialogs.message("Kein Kordan angeschlossen.");
}

void KordanMain::deviceClicked(int index) {
    if (index < 0 || index >= static_cast<int>(m_devices.size()))
        return;
    m_selectedDevice = index;
    // Failures of the steps below are skipped one by one.
    ignoringErrors([&] { CLRLISTS(); });
    ignoringErrors([&] {
        if (m_running) {
            // Keys held through the old controller would otherwise stay down.
            if (m_sender)
                m_sender->releaseHeldKeys();
            m_s.hid.CloseInterface(m_deviceHandle);
        }
    });
    ignoringErrors([&] { m_deviceHandle = handleFromEntry(m_devices[index]); });
    ignoringErrors([&] { m_s.hid.SetupInterface(m_deviceHandle); });
    ignoringErrors([&] {
        m_speaker = readNumber(m_s.settings.get("Speaker", "1")) == 1;
        m_view.setSpeakerChecked(m_speaker);
        SpeakerOutput();
    });
    ignoringErrors([&] {
        if (m_running)
            Lok_LokChange(); // the profile for this controller
    });
}

void KordanMain::setModeLabel(const std::string& text, int colour) {
    m_modeLabel = text;
    m_view.setModeLabel(text, static_cast<LabelColour>(colour));
}

void KordanMain::SetMode(Mode m) {
    m_mode = m;
    m_view.setDeviceListEnabled(false);
    std::string stored;
    if (m == Mode::Test) {
        m_view.setDeviceListEnabled(true);
        setModeLabel(kModeTestLabel, int(LabelColour::ButtonText));
        try {
            PollController();
        } catch (const std::exception&) {
        }
        stored = "Test";
    } else {
        setModeLabel("Aktiv", int(LabelColour::ButtonText));
        CLRLISTS();
        ShowAssignments();
        stored = "Run";
    }
    m_s.settings.set("Modus", stored);
}

void KordanMain::mnuModusTest() {
    SetMode(Mode::Test);
}

void KordanMain::mnuModusAktiv() {
    if (m_selectedDevice < 0) {
        m_s.dialogs.message("Bitte zuerst Gerät markieren!", MsgButtons::Ok, MsgIcon::Exclamation,
                            "Aktivieren nicht möglich");
        return;
    }
    SetMode(Mode::Active);
}

void KordanMain::mnuModusKalibrieren() {
    if (m_mode == Mode::Active) {
        m_s.dialogs.message("Kalibrierung nur im Test-Modus möglich", MsgButtons::Ok,
                            MsgIcon::Exclamation, "Nicht möglich");
        return;
    }
    m_view.showCalibrationWizard();
}

void KordanMain::mnuAusgabeLautsprecher() {
    m_speaker = !m_speaker;
    m_view.setSpeakerChecked(m_speaker);
    m_s.settings.set("Speaker", m_speaker ? "1" : "0");
    SpeakerOutput();
}

void KordanMain::mnuAusgabeLed(int index) {
    if (index < 0 || index > 2)
        return;
    m_led = index;
    m_view.setLedChecked(index);
    m_s.settings.set("Led", std::to_string(index));
}

void KordanMain::loadModeSelected(int mode) {
    if (mode < 0 || mode > 2)
        return;
    m_loadMode = mode;
    m_view.setLoadMode(mode);
    m_s.settings.set("AutoLoad", std::to_string(mode));
    if (mode != 0 && m_running)
        Lok_LokChange();
}

std::string KordanMain::lokName() const {
    return m_lok ? m_lok->Lok() : std::string();
}

std::string KordanMain::profileNameForLok() const {
    return lokName() + "_" + std::to_string(m_selectedDevice + 1) + ".cfr";
}

void KordanMain::Lok_LokChange() {
    m_view.setLokText(lokName());
    if (m_selectedDevice < 0)
        return;
    bool proceed = true;
    if (m_changed) {
        // The simulator usually has the focus now; the question must be seen.
        m_view.bringToFront();
        m_s.events.processEvents();
        switch (m_s.dialogs.message("Aktuelles Profil wurde geändert, Speichern?",
                                    MsgButtons::YesNoCancel, MsgIcon::Question)) {
        case MsgAnswer::Yes:
            if (m_profil->Save())
                m_changed = false;
            else
                proceed = false;
            break;
        case MsgAnswer::No:
            m_changed = false;
            break;
        default:
            proceed = false;
            break;
        }
    }
    if (proceed && m_loadMode == 1)
        loadByName(profileNameForLok());
    if (m_loadMode == 2)
        loadByName("automatisch.cfr");
}

bool KordanMain::loadByName(const std::string& name) {
    if (m_profil->load(name)) {
        m_view.setProfilText(m_profil->Bezeichnung());
        ShowAssignments();
        m_changed = false;
        return true;
    }
    m_view.bringToFront();
    m_s.events.processEvents();
    LedOutput(1);
    m_s.dialogs.message("Konfiguration " + name + " nicht gefunden.", MsgButtons::Ok,
                        MsgIcon::Information);
    LedOutput(2);
    return false;
}

void KordanMain::mnuDateiOeffnen() {
    if (m_changed) {
        MsgAnswer a = m_s.dialogs.message("Aenderungen speichern?", MsgButtons::YesNoCancel);
        if (a == MsgAnswer::Cancel)
            return;
        if (a == MsgAnswer::Yes) {
            m_profil->Save();
            m_view.setProfilText(m_profil->Bezeichnung());
            m_changed = false;
        }
    }
    if (m_profil->load()) {
        m_view.setProfilText(m_profil->Bezeichnung());
        ShowAssignments();
        m_changed = false;
    }
}

void KordanMain::mnuDateiSpeichern() {
    m_profil->Save();
    m_view.setProfilText(m_profil->Bezeichnung());
    m_changed = false;
}

void KordanMain::mnuDateiSaveAs() {
    if (m_loadMode == 1 && m_selectedDevice >= 0)
        m_profil->SaveAuto(profileNameForLok());
    else
        m_profil->SaveAs();
    m_view.setProfilText(m_profil->Bezeichnung());
    m_changed = false;
}

void KordanMain::mnuSettings() {
    m_view.openOptionsDialog();
}

void KordanMain::mnuAchsenKonfig() {
    m_view.openAxisEditor(0);
}

void KordanMain::mnuLokEditor() {
    if (m_lok)
        m_lok->StartEditor();
}

void KordanMain::mnuBefehlsprotokoll() {
    m_commandLog = !m_commandLog;
    m_s.settings.set("Befehlsprotokoll", m_commandLog ? "1" : "0");
    m_view.setCommandLogVisible(m_commandLog);
}

std::string KordanMain::commandLogLine(uint32_t elapsedMs, int32_t code, int32_t befehl,
                                       bool dropped) {
    std::string when =
        std::to_string(elapsedMs / 1000) + "." + std::to_string(elapsedMs / 100 % 10);
    std::string how;
    if (code >= 1000 && code <= 1003)
        how = (befehl > 0 ? "+" : "") + std::to_string(befehl);
    else
        how = befehl == 1   ? "Down"
              : befehl == 2 ? "Up"
              : befehl == 3 ? "DownUp"
                            : std::to_string(befehl);
    std::string text = ZusiSend::Befehlstext(code);
    std::string line =
        when + " s  " + std::to_string(code) + (text.empty() ? "" : " " + text) + ": " + how;
    if (dropped)
        line += " (verworfen, Zusi nicht gefunden)";
    return line;
}

void KordanMain::mnuHilfeInfo() {
    m_view.openAboutBox();
}

void KordanMain::buttonDoubleClicked(int index) {
    if (index < 0 || index >= 44)
        return;
    m_element = static_cast<int16_t>(index + 1);
    m_view.openButtonDialog(m_element);
    m_changed = true;
    ShowAssignments();
}

void KordanMain::leverDoubleClicked(int index) {
    if (index < 0 || index >= 7)
        return;
    m_element = static_cast<int16_t>(index + 1);
    m_aktion = 0;
    m_view.openLeverActionDialog(m_element, m_aktion);
    int n = index + 1;
    ZusiAxis& axis = m_profil->Axis(n);
    switch (m_aktion) {
    case 1:
        axis.load();
        ShowAssignments();
        m_changed = true;
        break;
    case 2:
        axis.setDateiname({});
        break;
    case 3:
        m_pendingAxisFile = axis.Dateiname();
        m_view.openAxisEditor(n);
        break;
    case 4:
        axis.setFlip(axis.Flip() == 0 ? 1 : 0);
        m_changed = true;
        break;
    default:
        break;
    }
    ShowAssignments();
    m_changed = true;
}

std::string KordanMain::AxisFile() {
    std::string file = std::move(m_pendingAxisFile);
    m_pendingAxisFile.clear();
    return file;
}

void KordanMain::AxisReload() {
    if (!m_profil)
        return;
    for (int i = 1; i <= 7; ++i) {
        ZusiAxis& axis = m_profil->Axis(i);
        if (!axis.Dateiname().empty())
            axis.load(axis.Dateiname());
    }
    ShowAssignments();
}

void KordanMain::PollController() {
    if (m_s.hid.ReadData(m_deviceHandle, m_report) != 0)
        return;
    for (int i = 1; i <= 7; ++i)
        m_leverValue[i - 1] = m_kalib->Calculate(i, leverRaw(m_report, i));
    for (int k = 1; k <= 44; ++k)
        m_buttonState[k - 1] = buttonPressed(m_report, k) ? 1 : 0;
    std::array<int, 7> positions{};
    for (int i = 1; i <= 7; ++i)
        positions[i - 1] =
            m_profil->Axis(i).Flip() == 1 ? 255 - m_leverValue[i - 1] : m_leverValue[i - 1];
    m_view.showLeverPositions(positions);
    if (m_mode == Mode::Test) {
        if (m_view.calibrationWizardVisible()) {
            std::string raw;
            for (int i = 1; i <= 7; ++i)
                raw += static_cast<char>(m_report[i]);
            m_view.passToCalibrationWizard(raw);
        }
        for (int i = 0; i < 7; ++i)
            m_view.setLeverText(i, std::to_string(m_leverValue[i]));
        for (int k = 0; k < 44; ++k)
            m_view.setButtonLit(k, m_buttonState[k] != 0);
    } else {
        // Buttons before levers, each in ascending order; a change counts as passed on
        // only once its call has returned, so one that fails comes again next poll.
        for (int k = 1; k <= 44; ++k) {
            if (m_buttonState[k - 1] == 0 && m_lastButton[k - 1] != 0) {
                m_profil->doButton(*m_sender, k, 0);
                m_lastButton[k - 1] = 0;
            } else if (m_buttonState[k - 1] == 1 && m_lastButton[k - 1] == 0) {
                m_profil->doButton(*m_sender, k, 1);
                m_lastButton[k - 1] = 1;
            }
        }
        for (int i = 1; i <= 7; ++i) {
            if (m_lastLever[i - 1] != m_leverValue[i - 1]) {
                m_profil->Axis(i).NewValue(m_lastLever[i - 1], m_leverValue[i - 1], false,
                                           *m_sender);
                m_lastLever[i - 1] = m_leverValue[i - 1];
            }
        }
    }
}

void KordanMain::ShowAssignments() {
    for (int k = 1; k <= 44; ++k) {
        const auto& b = m_profil->buttons(k);
        m_view.setButtonToolTip(k - 1, b.Defined ? b.Bezeichnung : "Nicht definiert");
    }
    for (int i = 1; i <= 7; ++i) {
        const auto& a = m_profil->Axis(i);
        std::string name = a.Bezeichnung();
        m_view.setLeverToolTip(i - 1, name.empty()    ? "Nicht zugeordnet"
                                      : a.Flip() == 0 ? "+" + name
                                                      : "-" + name);
    }
}

void KordanMain::PeriodicTick() {
    ++m_tickCount;
    m_profil->Timer(*m_sender);
    m_sender->Timer();
    if (m_watchCountdown != 0) {
        --m_watchCountdown;
    } else {
        m_watchCountdown = 20;
        m_lok->Timer();
        if (m_mode == Mode::Active) {
            if (m_sender->GetConnect())
                setModeLabel("Aktiv - mit Zusi verbunden", int(LabelColour::Green));
            else
                setModeLabel(kNotFoundLabel, int(LabelColour::Red));
        }
    }
    if (m_ledCountdown != 0) {
        --m_ledCountdown;
    } else {
        m_ledCountdown = 5;
        LedOutput(0);
    }
}

void KordanMain::writeOutput(const OutputReport& report) {
    if (m_deviceHandle != 0)
        m_s.hid.WriteData(m_deviceHandle, report);
}

void KordanMain::SpeakerOutput() {
    writeOutput(speakerReport(m_speaker));
}

void KordanMain::LedOutput(int what) {
    if (m_deviceHandle == 0 || what < 0 || what > 3)
        return;
    switch (what) {
    case 1:
        writeOutput(displayReport(0x78, 0x5C, 0x38));
        break;
    case 2:
        writeOutput(displayReport(0, 0, 0));
        break;
    case 3:
        writeOutput(displayReport(0x40, 0x40, 0x40));
        break;
    default:
        if (m_mode != Mode::Active) {
            LedOutput(2);
        } else if (m_modeLabel == kNotFoundLabel) {
            LedOutput(3);
        } else if (m_led == 0) {
            LedOutput(2);
        } else if (m_led == 1) {
            std::string s = SpeedText(m_registry->Value("km/h"));
            if (s == m_lastSpeedText)
                return;
            Digits d = SpeedDigits(s);
            m_lastSpeedText = s;
            writeOutput(displayReport(d.right, d.middle, d.left));
        } else if (m_led == 2) {
            std::string s = KmText(m_registry->Value("km"));
            if (!s.empty() && s[0] == '-')
                s.erase(0, 1);
            if (s == m_lastKmText)
                return;
            Digits d = KmDigits(s);
            m_lastKmText = s;
            writeOutput(displayReport(d.right, d.middle, d.left));
        }
        return;
    }
    m_lastSpeedText.clear();
    m_lastKmText.clear();
}

void KordanMain::Form_Unload() {
    if (!m_running && !m_kalib)
        return; // already unloaded
    if (m_changed && m_profil) {
        // There is no Cancel: the program ends either way.
        if (m_s.dialogs.message("Aenderungen speichern?", MsgButtons::YesNo, MsgIcon::Question) ==
            MsgAnswer::Yes) {
            m_profil->Save();
            if (!m_profil->Dateiname().empty())
                m_view.setProfilText(m_profil->Bezeichnung());
        }
    }
    // From here on failures are skipped: the program ends whatever happens.
    m_running = false;
    // Nothing may stay pressed in the simulator once the program has gone.
    ignoringErrors([&] {
        if (m_sender)
            m_sender->releaseHeldKeys();
    });
    ignoringErrors([&] { LedOutput(2); });
    ignoringErrors([&] {
        m_speaker = false;
        m_view.setSpeakerChecked(false);
        SpeakerOutput();
    });
    ignoringErrors([&] { m_s.events.processEvents(); });
    ignoringErrors([&] { m_sender.reset(); });
    ignoringErrors([&] { m_profil.reset(); });
    ignoringErrors([&] { m_registry.reset(); });
    ignoringErrors([&] { m_kalib.reset(); }); // writes "Kalibrierung.dat"
}

} // namespace kordan
