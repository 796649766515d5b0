#pragma once

namespace kordan {

// The main window's menu entries that need nothing more than being chosen.
enum class MenuEntry {
    DateiNeu,
    DateiOeffnen,
    DateiSpeichern,
    DateiSaveAs,
    DateiBelegung,
    ModusTest,
    ModusAktiv,
    ModusKalibrieren,
    AusgabeLautsprecher,
    Befehlsprotokoll,
    LokEditor,
    // The options dialog has closed: a simulator chosen anew there takes over at once.
    OptionsClosed,
};

// What the user does in the main window, as the window forwards it to the logic.
class IWindowActions {
public:
    virtual ~IWindowActions() = default;
    virtual void menu(MenuEntry entry) = 0;
    virtual void ledChosen(int index) = 0; // "Anzeige aus/Geschwindigkeit/Kilometrierung"
    virtual void deviceClicked(int index) = 0;
    virtual void loadModeSelected(int mode) = 0;
    // Field indices are 0-based.
    virtual void buttonDoubleClicked(int index) = 0;
    virtual void leverDoubleClicked(int index) = 0;
    // The axis editor has saved: the assigned files are read again.
    virtual void axisSaved() = 0;
    // The window is being closed (or "&Ende"): the shutdown.
    virtual void closing() = 0;
};

} // namespace kordan
