#pragma once

#include "device/Levers.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace kordan {

struct ZusiButton;
class ZusiProfile;

enum class LabelColour { ButtonText, Green, Red };

// What the main window shows and asks, by role; each piece of the logic holds the roles it
// needs. Indices of lever and button fields are 0-based (lever i and button k have index i-1
// and k-1). Setting a check mark or a selection never calls back into the logic.

// The texts around the picture: locomotive, profile, modes and the status bar.
class IStatusView {
public:
    virtual ~IStatusView() = default;
    virtual void setEasyOptionVisible(bool visible) = 0;
    // -1 clears all three load-mode options; 0 manual, 1 automatic, 2 easy.
    virtual void setLoadMode(int mode) = 0;
    virtual void setLokText(const std::string& text) = 0;
    // The locomotive's class, where the simulator reports it: in the box's tool tip.
    virtual void setLokClass(const std::string& baureihe) { (void)baureihe; }
    // The loaded profile's name, also in the window's title.
    virtual void setProfilText(const std::string& text) = 0;
    // The profile has unsaved changes: the title's marker.
    virtual void setProfileModified(bool modified) = 0;
    // A short note in the status bar that goes by itself ("Profil gespeichert: ...").
    virtual void showStatusMessage(const std::string& text) = 0;
    virtual void setModeLabel(const std::string& text, LabelColour colour) = 0;
    // The controller's connection where the user looks (the status bar); "" clears it.
    virtual void setConnectionStatus(const std::string& text) = 0;
    // A lasting line in the status bar on the way commands take to the simulator ("" for
    // none); a `warning` is shown in red: keys cannot be delivered just now.
    virtual void setDeliveryNote(const std::string& text, bool warning) = 0;
};

// The picture of the controller and the device list beside it.
class IControllerView {
public:
    virtual ~IControllerView() = default;
    virtual void setDeviceList(const std::vector<std::string>& entries) = 0;
    virtual void setSelectedDevice(int index) = 0; // -1 = none
    virtual void setDeviceListEnabled(bool enabled) = 0;
    virtual void focusDeviceList() = 0;
    virtual void setLeverText(int index, const std::string& text) = 0;
    virtual void setButtonLit(int index, bool lit) = 0;
    virtual void setLeverToolTip(int index, const std::string& text) = 0;
    virtual void setButtonToolTip(int index, const std::string& text) = 0;
    // The button field is marked when the loaded profile assigns the button.
    virtual void setButtonAssigned(int index, bool assigned) = 0;
    // The lever values as the axes see them (after Flip), for the axis editor's live bar.
    virtual void showLeverPositions(const std::array<int, 7>& values) = 0;
};

// The "Ausgabe" menu's check marks and the command log it shows: one line per command.
class IOutputView {
public:
    virtual ~IOutputView() = default;
    virtual void setSpeakerChecked(bool checked) = 0;
    virtual void setLedChecked(int index) = 0; // -1 = none
    virtual void setCommandLogVisible(bool visible) = 0;
    virtual void appendCommandLog(const std::string& line) = 0;
};

// The main window as the host of the others. The button and lever action dialogs are modal:
// they return when closed (the polling loop stands still meanwhile). The axis editor is
// modeless; asking for it again brings it to the front.
class IWindowsHost {
public:
    virtual ~IWindowsHost() = default;
    virtual void showWindow() = 0;
    virtual void bringToFront() = 0;
    // Edits `button`, the record of button `element` (1-44), in place.
    virtual void openButtonDialog(ZusiButton& button, int16_t element) = 0;
    virtual void openLeverActionDialog(int16_t element, int32_t& aktion) = 0;
    // Lever 1-7 whose `file` is edited; 0 and "" for none.
    virtual void openAxisEditor(int lever, const std::string& file) = 0;
    // "Datei → Belegung drucken...": the profile's sheet into a PDF file the user names.
    virtual void printSheet(const ZusiProfile& profile) = 0;
    // The calibration wizard is a modeless window of its own.
    virtual void showCalibrationWizard() = 0;
    virtual bool calibrationWizardVisible() const = 0;
    // The seven raw lever bytes, before calibration.
    virtual void passToCalibrationWizard(const LeverBytes& rawLevers) = 0;
};

// The whole main window, as the logic's owner hands it over.
class IKordanView : public IStatusView,
                    public IControllerView,
                    public IOutputView,
                    public IWindowsHost {};

} // namespace kordan
