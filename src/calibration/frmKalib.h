#pragma once

#include "calibration/KalibWizard.h"

#include <QTimer>
#include <QWidget>

#include <array>
#include <string>

class QLabel;
class QLineEdit;
class QPushButton;
class QScrollBar;

namespace kordan {

class IDialogs;
class ZusiKalibrierung;

// The calibration wizard's window: a thin view over KalibWizard. Modeless; the main
// window owns its lifetime and, in test mode, feeds it each report's raw lever bytes.
class frmKalib : public QWidget, private IKalibView {
    Q_OBJECT
public:
    frmKalib(ZusiKalibrierung& kalib, IDialogs& dialogs, QWidget* parent = nullptr);

    void ZeigeDaten(const LeverBytes& levers);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void setTitle(const std::string& title) override;
    void setAction(const std::string& text) override;
    void setActionVisible(bool visible) override;
    void setWartenVisible(bool visible) override;
    void setSettingColumnsVisible(bool visible) override;
    void setRohwert(int row, int value) override;
    void setKorr(int row, int value) override;
    void setHebel(int row, int value) override;
    void setSlider(int row, int position) override;
    void setWeiterEnabled(bool enabled) override;
    void setWeiterCaption(const std::string& caption) override;
    void startSamplingTimer() override;
    void stopSamplingTimer() override;
    void closeWindow() override;

    static constexpr int kRows = KalibWizard::kRows;

    std::array<QLabel*, kRows> m_lblHebel{};
    std::array<QLineEdit*, kRows> m_txtRohwert{};
    std::array<QLineEdit*, kRows> m_txtKorr{};
    std::array<QLineEdit*, kRows> m_txtHebel{};
    std::array<QScrollBar*, kRows> m_vscroll{};
    QLabel* m_lblKorr = nullptr;
    QLabel* m_lblEinstellung = nullptr;
    QLabel* m_lblAction = nullptr;
    QLabel* m_lblWarten = nullptr;
    QPushButton* m_cmdWeiter = nullptr;
    QTimer m_timer;
    KalibWizard m_wizard;
};

} // namespace kordan
