#pragma once

#include "dialogs/AxisEditor.h"

#include <QMainWindow>

#include <functional>
#include <string>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;

namespace kordan {

class IDialogs;
class ZoneBar;

// The axis and zone editor: a thin view over AxisEditor. A modeless top-level window; the
// main window keeps polling while it is open and may feed it the live lever position.
class frmAxis : public QMainWindow, private IAxisView {
    Q_OBJECT
public:
    // `axisFile` is asked once, at loading (the main window's pending file, or empty);
    // `axisReload` runs after every save.
    frmAxis(IDialogs& dialogs, std::string programDir, std::function<std::string()> axisFile,
            std::function<void()> axisReload, QWidget* parent = nullptr);
    ~frmAxis() override;

    // The lever whose position the zone bar follows, 1-7; 0 hides the bar.
    void setLiveLever(int lever);
    // That lever's value as the axis engine sees it (after flipping), 0-255.
    void setLeverValue(int value);

    // For window tests.
    const AxisEditor& editor() const { return m_editor; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // IAxisView
    void setBezeichnung(const std::string& text) override;
    void setZoneList(const std::vector<std::string>& entries) override;
    void setZoneEntry(int index, const std::string& text) override;
    void selectZone(int index) override;
    void setZoneFieldsEnabled(bool enabled) override;
    void showZoneFields(const ZoneFields& fields) override;
    void zonesChanged() override;
    std::string listText(ZoneList list) const override;

    void buildMenu();
    QComboBox* commandList(const QString& name, const CommandList& list, AxisEditor::List which);
    void updateLiveLabel();

    QLineEdit* m_txtBezeichnung = nullptr;
    QListWidget* m_lstZone = nullptr;
    QGroupBox* m_frame = nullptr;
    QLineEdit* m_txtZone = nullptr;
    QLineEdit* m_txtvon = nullptr;
    QLineEdit* m_txtBis = nullptr;
    QComboBox* m_cboFunktion = nullptr;
    QCheckBox* m_chkHold = nullptr;
    QLineEdit* m_txtRepeat = nullptr;
    QComboBox* m_cboRelease = nullptr;
    QComboBox* m_cboRegler = nullptr;
    QLineEdit* m_txtStufen = nullptr;
    QLabel* m_lblHebel = nullptr;
    ZoneBar* m_bar = nullptr;
    int m_liveLever = 0;
    bool m_updating = false; // set while the editor fills the list, so no click echoes back
    AxisEditor m_editor;
};

} // namespace kordan
