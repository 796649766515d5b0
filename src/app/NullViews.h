#pragma once

#include "app/KordanView.h"

namespace kordan {

// A main window that shows nothing, for runs without one (replays, measurements, tests).
class NullView : public IKordanView {
public:
    void setEasyOptionVisible(bool) override {}
    void setLoadMode(int) override {}
    void setLokText(const std::string&) override {}
    void setProfilText(const std::string&) override {}
    void setProfileModified(bool) override {}
    void showStatusMessage(const std::string&) override {}
    void setModeLabel(const std::string&, LabelColour) override {}
    void setConnectionStatus(const std::string&) override {}
    void setDeliveryNote(const std::string&, bool) override {}
    void setDeviceList(const std::vector<std::string>&) override {}
    void setSelectedDevice(int) override {}
    void setDeviceListEnabled(bool) override {}
    void focusDeviceList() override {}
    void setLeverText(int, const std::string&) override {}
    void setButtonLit(int, bool) override {}
    void setLeverToolTip(int, const std::string&) override {}
    void setButtonToolTip(int, const std::string&) override {}
    void setButtonAssigned(int, bool) override {}
    void showLeverPositions(const std::array<int, 7>&) override {}
    void setSpeakerChecked(bool) override {}
    void setLedChecked(int) override {}
    void setCommandLogVisible(bool) override {}
    void appendCommandLog(const std::string&) override {}
    void showWindow() override {}
    void bringToFront() override {}
    void openButtonDialog(ZusiButton&, int16_t) override {}
    void openLeverActionDialog(int16_t, int32_t&) override {}
    void openAxisEditor(int, const std::string&) override {}
    void printSheet(const ZusiProfile&) override {}
    void showCalibrationWizard() override {}
    bool calibrationWizardVisible() const override { return false; }
    void passToCalibrationWizard(const LeverBytes&) override {}
};

} // namespace kordan
