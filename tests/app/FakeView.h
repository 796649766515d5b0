#pragma once

#include "app/KordanView.h"

#include <array>
#include <functional>
#include <string>
#include <vector>

namespace kordan::test {

// Records what the logic shows; `log` keeps the order of window-level events.
class FakeView : public IKordanView {
public:
    void showWindow() override { log.push_back("show"); }
    void bringToFront() override { log.push_back("front"); }
    void setEasyOptionVisible(bool visible) override { easyVisible = visible; }
    void setLokText(const std::string& text) override { lok = text; }
    void setProfilText(const std::string& text) override { profil = text; }
    void setProfileModified(bool on) override { notes.push_back(on ? "modified" : "saved"); }
    void showStatusMessage(const std::string& text) override { notes.push_back(text); }
    void setLoadMode(int mode) override { loadMode = mode; }
    void setDeviceList(const std::vector<std::string>& entries) override { devices = entries; }
    void setSelectedDevice(int index) override { selected = index; }
    void setDeviceListEnabled(bool enabled) override { deviceListEnabled = enabled; }
    void focusDeviceList() override { log.push_back("focus"); }
    void setModeLabel(const std::string& text, LabelColour colour) override {
        modeLabel = text;
        modeColour = colour;
    }
    void setConnectionStatus(const std::string& text) override { connection = text; }
    void setDeliveryNote(const std::string& text, bool warning) override {
        deliveryNote = text;
        deliveryWarning = warning;
    }
    void setLeverText(int index, const std::string& text) override { levers.at(index) = text; }
    void setButtonLit(int index, bool lit) override { buttons.at(index) = lit; }
    void setLeverToolTip(int i, const std::string& text) override { leverTips.at(i) = text; }
    void setButtonToolTip(int i, const std::string& text) override { buttonTips.at(i) = text; }
    void setButtonAssigned(int i, bool on) override { assigned.at(i) = on; }
    void setSpeakerChecked(bool checked) override { speaker = checked; }
    void setLedChecked(int index) override { led = index; }
    void openButtonDialog(ZusiButton& button, int16_t element) override {
        log.push_back("button " + std::to_string(element));
        if (onButtonDialog)
            onButtonDialog(button);
    }
    void openLeverActionDialog(int16_t element, int32_t& aktion) override {
        log.push_back("lever " + std::to_string(element));
        aktion = nextAktion;
    }
    void openAxisEditor(int lever, const std::string& file) override {
        log.push_back("axis " + std::to_string(lever) + " " + file);
    }
    void printSheet(const ZusiProfile&) override { log.push_back("sheet"); }
    void showLeverPositions(const std::array<int, 7>& values) override { positions = values; }
    void setCommandLogVisible(bool) override {}
    void appendCommandLog(const std::string& line) override { commandLog.push_back(line); }
    void showCalibrationWizard() override {
        log.push_back("wizard");
        wizardVisible = true;
    }
    bool calibrationWizardVisible() const override { return wizardVisible; }
    void passToCalibrationWizard(const std::array<uint8_t, 7>& raw) override {
        wizardData.push_back(raw);
    }

    std::vector<std::string> log;
    std::vector<std::string> notes; // the title's marker and the status bar's notes
    bool easyVisible = true;
    std::string lok, profil, modeLabel, connection, deliveryNote;
    bool deliveryWarning = false;
    LabelColour modeColour = LabelColour::ButtonText;
    int loadMode = -5, selected = -1, led = -5;
    bool deviceListEnabled = false, speaker = false, wizardVisible = false;
    std::vector<std::string> devices;
    std::array<std::string, 7> levers, leverTips;
    std::array<bool, 44> buttons{}, assigned{};
    std::array<std::string, 44> buttonTips;
    std::vector<std::array<uint8_t, 7>> wizardData;
    int32_t nextAktion = 0;
    std::vector<std::string> commandLog;
    std::function<void(ZusiButton&)> onButtonDialog;
    std::array<int, 7> positions{};
};

} // namespace kordan::test
