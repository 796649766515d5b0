#pragma once

#include "device/PieHid.h"
#include "sim/SimPaths.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace kordan {

class IClock;
class IDialogs;
class IEventPump;
class IKordanView;
class IRegistryBackend;
class ISettings;
class ISimWindow;
class IProcessStarter;
class ZusiKalibrierung;
class ZusiLok;
class ZusiProfile;
class ZusiRegistry;
class ZusiSend;

// The platform services the main window works with; all outlive it.
struct KordanServices {
    IPieHid& hid;
    ISettings& settings;
    IClock& clock;
    IEventPump& events;
    IDialogs& dialogs;
    ISimWindow& simWindow;           // the window system, where the simulator's window is found
    IRegistryBackend& registry;      // the per-user registry the simulator keeps its values in
    IProcessStarter& processStarter; // starts the simulator's vehicle editor
    // Turns the simulator's Windows paths into openable ones (identity on Windows, the Wine
    // prefix on Linux); a mapper that gives "" for everything keeps the watcher idle.
    PathMapper mapSimPath;
    // The program's directory: start-up makes it current, relative names refer to it.
    std::string programDir;
    // Where the calibration is kept; empty = "Kalibrierung.dat" in the program's directory.
    std::string calibrationFile = {};
};

// The main window's behaviour without its widgets: start-up, settings, device list and
// selection, operating modes, the polling loop with its 100 ms tick, and shutdown. The Qt
// window forwards menus, clicks and closing here and draws what it is told.
class KordanMain {
public:
    enum class Mode { Test, Active };

    KordanMain(KordanServices services, IKordanView& view);
    ~KordanMain();
    KordanMain(const KordanMain&) = delete;
    KordanMain& operator=(const KordanMain&) = delete;

    // Loading the window: start-up, then the polling loop until the window is unloaded.
    void Form_Load();
    // The parts of Form_Load, for callers that drive the loop themselves.
    void startUp();
    void runLoop();
    // One pass of the loop; false once the program is ending.
    bool loopPass();

    // Unloading the window (closing it or "&Ende"): the shutdown.
    void Form_Unload();

    // Window events.
    void deviceClicked(int index);
    void mnuModusTest();
    void mnuModusAktiv();
    void mnuModusKalibrieren();
    void mnuAusgabeLautsprecher();
    void mnuAusgabeLed(int index);
    void loadModeSelected(int mode);
    void mnuDateiOeffnen();
    void mnuDateiSpeichern();
    void mnuDateiSaveAs();
    void mnuSettings();
    void mnuAchsenKonfig();
    void mnuLokEditor();
    void mnuHilfeInfo();
    void mnuBefehlsprotokoll();
    void buttonDoubleClicked(int index);
    void leverDoubleClicked(int index);

    // Locomotive change and profile loading.
    void Lok_LokChange();
    bool loadByName(const std::string& name);
    std::string profileNameForLok() const;
    // The axis editor's hand-over: the pending file, once.
    std::string AxisFile();
    void AxisReload();

    void InitKordan();
    void SetMode(Mode m);
    void PollController();
    void PeriodicTick();
    void SpeakerOutput();
    void LedOutput(int what);
    void CLRLISTS() {}
    void ShowAssignments();

    // State, for the window and for tests.
    ZusiKalibrierung* Kalib() { return m_kalib.get(); }
    ZusiProfile* Profil() { return m_profil.get(); }
    ZusiSend* Sender() { return m_sender.get(); }
    ZusiLok* Lok() { return m_lok.get(); }
    const KordanServices& services() const { return m_s; }
    Mode mode() const { return m_mode; }
    bool running() const { return m_running; }
    bool changed() const { return m_changed; }
    void setChanged(bool changed) { m_changed = changed; }
    int32_t deviceHandle() const { return m_deviceHandle; }
    int32_t pollInterval() const { return m_pollInterval; }
    int selectedDevice() const { return m_selectedDevice; }
    const std::vector<std::string>& deviceEntries() const { return m_devices; }
    int loadMode() const { return m_loadMode; }
    bool speakerChecked() const { return m_speaker; }
    int ledChecked() const { return m_led; }
    const std::string& modeLabel() const { return m_modeLabel; }
    uint8_t leverValue(int lever) const { return m_leverValue.at(lever - 1); }
    bool buttonState(int button) const { return m_buttonState.at(button - 1) != 0; }
    uint64_t tickCount() const { return m_tickCount; }
    bool commandLogVisible() const { return m_commandLog; }
    int16_t Element() const { return m_element; }
    int32_t Aktion() const { return m_aktion; }
    const std::string& PendingAxisFile() const { return m_pendingAxisFile; }
    // The locomotive's name as the watcher reports it ("" before the first one).
    std::string lokName() const;

    // "PID: 0D2, Usg: 004, UP: 00C -- splat device #  5 Kordan Desktop"
    static std::string deviceEntryText(int32_t productId, int32_t usage, int32_t usagePage,
                                       int32_t handle);
    // The handle read from an entry: the number two characters after the first "#".
    static int32_t handleFromEntry(const std::string& entry);
    static std::string HexPad(int64_t value, size_t width);
    // "12.3 s  28 Pfeife: Down", "... 1000 Regelbereich Fahrschalter: +3",
    // "... (verworfen, Zusi nicht gefunden)".
    static std::string commandLogLine(uint32_t elapsedMs, int32_t code, int32_t befehl,
                                      bool dropped);

private:
    void setModeLabel(const std::string& text, int colour);
    void writeOutput(const OutputReport& report);

    KordanServices m_s;
    IKordanView& m_view;

    std::unique_ptr<ZusiSend> m_sender;
    std::unique_ptr<ZusiProfile> m_profil;
    std::unique_ptr<ZusiRegistry> m_registry;
    std::unique_ptr<ZusiKalibrierung> m_kalib;
    std::unique_ptr<ZusiLok> m_lok;

    int32_t m_deviceHandle = 0;
    bool m_running = false;
    bool m_changed = false;
    Mode m_mode = Mode::Test;
    int32_t m_pollInterval = 10;
    std::vector<std::string> m_devices;
    int m_selectedDevice = -1;
    int m_loadMode = -1;
    bool m_speaker = false;
    int m_led = -1;
    std::string m_modeLabel;
    std::string m_lastSpeedText;
    std::string m_lastKmText;

    InputReport m_report{};
    std::array<uint8_t, 7> m_leverValue{};
    std::array<uint8_t, 44> m_buttonState{};
    std::array<int32_t, 44> m_lastButton{};
    std::array<int32_t, 7> m_lastLever{};
    double m_lastTick = 0;
    int16_t m_watchCountdown = 0;
    int16_t m_ledCountdown = 0;
    uint64_t m_tickCount = 0;
    int16_t m_element = 0;
    int32_t m_aktion = 0;
    std::string m_pendingAxisFile;
    bool m_commandLog = false;
    uint32_t m_startMs = 0;
};

} // namespace kordan
