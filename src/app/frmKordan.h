#pragma once

#include "app/KordanView.h"
#include "app/WindowActions.h"

#include <QMainWindow>
#include <QPointer>

#include <array>
#include <functional>
#include <string>

class QAction;
class QLabel;
class QLineEdit;
class QListWidget;
class QRadioButton;
class QGroupBox;
class QDockWidget;
class QPlainTextEdit;

namespace kordan {

class IDialogs;
class ISettings;

// What the main window and the windows it opens work with, handed in by the program.
struct WindowServices {
    IDialogs& dialogs;
    ISettings& settings;
    std::string programDir; // where relative file names point
};

// The main window "Kordan für Zusi": a picture of the controller made of small fields, the
// device list, the load-mode options and the menus. It draws what the logic tells it and
// forwards menus, clicks and closing to the actions; it holds no behaviour of its own.
class frmKordan : public QMainWindow, public IKordanView {
    Q_OBJECT
public:
    explicit frmKordan(WindowServices services, QWidget* parent = nullptr);
    ~frmKordan() override;

    // Where menus, clicks and closing go; none until set.
    void setActions(IWindowActions* actions) { m_actions = actions; }
    // Creates the calibration wizard window when asked for it.
    void setWizardFactory(std::function<QWidget*(QWidget* parent)> factory) {
        m_wizardFactory = std::move(factory);
    }
    void setWizardFeed(std::function<void(QWidget*, const LeverBytes&)> feed) {
        m_wizardFeed = std::move(feed);
    }

    // IKordanView
    void showWindow() override;
    void bringToFront() override;
    void setEasyOptionVisible(bool visible) override;
    void setLokText(const std::string& text) override;
    void setLokClass(const std::string& baureihe) override;
    void setProfilText(const std::string& text) override;
    void setProfileModified(bool modified) override;
    void showStatusMessage(const std::string& text) override;
    void setLoadMode(int mode) override;
    void setDeviceList(const std::vector<std::string>& entries) override;
    void setSelectedDevice(int index) override;
    void setDeviceListEnabled(bool enabled) override;
    void focusDeviceList() override;
    void setModeLabel(const std::string& text, LabelColour colour) override;
    void setConnectionStatus(const std::string& text) override;
    void setDeliveryNote(const std::string& text, bool warning) override;
    void setLeverText(int index, const std::string& text) override;
    void setButtonLit(int index, bool lit) override;
    void setLeverToolTip(int index, const std::string& text) override;
    void setButtonToolTip(int index, const std::string& text) override;
    void setButtonAssigned(int index, bool assigned) override;
    void setSpeakerChecked(bool checked) override;
    void setLedChecked(int index) override;
    void openButtonDialog(ZusiButton& button, int16_t element) override;
    void openLeverActionDialog(int16_t element, int32_t& aktion) override;
    void openAxisEditor(int lever, const std::string& file) override;
    void printSheet(const ZusiProfile& profile) override;
    void showLeverPositions(const std::array<int, 7>& values) override;
    void setCommandLogVisible(bool visible) override;
    void appendCommandLog(const std::string& line) override;
    void showCalibrationWizard() override;
    bool calibrationWizardVisible() const override;
    void passToCalibrationWizard(const LeverBytes& rawLevers) override;

    // What "System-Info..." in the About box shows; without it the box has no such button.
    void setDiagnostics(std::function<std::string()> text) { m_diagnostics = std::move(text); }
    // The options dialog (modal) and the About box (modeless), opened from the menus.
    void openOptionsDialog();
    void openAboutBox();
    // The handbook "Hilfe → Handbuch" shows ("" when none was found).
    void setHandbook(std::string path) { m_handbook = std::move(path); }
    // Shows the handbook in a window of its own, at the first heading holding `section`.
    void openHandbook(const QString& section = {});

    // For window tests.
    QLineEdit* leverField(int index) const { return m_txtAnalog[index]; }
    QLineEdit* buttonField(int index) const { return m_txtBut[index]; }
    QListWidget* deviceList() const { return m_lstJoySticks; }
    QPlainTextEdit* commandLog() const { return m_log; }
    QDockWidget* commandLogDock() const { return m_logDock; }
    QLabel* modeLabel() const { return m_lblModus; }
    QAction* action(const QString& objectName) const;
    QWidget* axisEditor() const;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildFields(QWidget* area);
    void buildMenus();
    // A button field's background: lit while pressed (test mode), marked when assigned.
    void paintButton(int index);

    WindowServices m_services;
    IWindowActions* m_actions = nullptr;
    QLineEdit* m_txtLok = nullptr;
    QLineEdit* m_txtProfil = nullptr;
    QLabel* m_lblModus = nullptr;
    QListWidget* m_lstJoySticks = nullptr;
    QGroupBox* m_frmLaden = nullptr;
    std::array<QRadioButton*, 3> m_opt{};
    std::array<QLineEdit*, 7> m_txtAnalog{};
    std::array<QLineEdit*, 44> m_txtBut{};
    std::array<bool, 44> m_butLit{}, m_butAssigned{};
    QLabel* m_deliveryNote = nullptr;
    std::string m_handbook;
    QPointer<QWidget> m_handbookWindow;
    QAction* m_mnuLautsprecher = nullptr;
    QAction* m_mnuBefehlsprotokoll = nullptr;
    QDockWidget* m_logDock = nullptr;
    QPlainTextEdit* m_log = nullptr;
    std::array<QAction*, 3> m_mnuLed{};
    bool m_updating = false; // set while the logic changes selections, so no echo comes back
    bool m_keyMove = false;  // a key moves the device list's highlight
    QString m_connection;    // the status bar's lasting text
    std::function<QWidget*(QWidget*)> m_wizardFactory;
    std::function<void(QWidget*, const LeverBytes&)> m_wizardFeed;
    QPointer<QWidget> m_wizard;
    QPointer<QWidget> m_about;
    std::function<std::string()> m_diagnostics;
    QPointer<class frmAxis> m_axisEditor;
    int m_axisEditorLever = 0;
};

} // namespace kordan
