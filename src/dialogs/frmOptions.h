#pragma once

#include "dialogs/OptionsDialog.h"

#include <QDialog>

class QLineEdit;
class QRadioButton;

namespace kordan {

class IDialogs;
class ISettings;

// The options dialog: a thin view over OptionsDialog. Modal; Enter is "OK", Escape is
// "Abbrechen" and closes without checking the interval.
class frmOptions : public QDialog {
    Q_OBJECT
public:
    frmOptions(ISettings& settings, IDialogs& dialogs, QWidget* parent = nullptr);

protected:
    void showEvent(QShowEvent* event) override;

private:
    bool runChecked(bool (OptionsDialog::*action)());

    OptionsDialog m_logic;
    QRadioButton* m_optPoll = nullptr;
    QRadioButton* m_optMs = nullptr;
    QLineEdit* m_txtMs = nullptr;
    QLineEdit* m_txtHost = nullptr;
    QLineEdit* m_txtPort = nullptr;
    bool m_centred = false;
};

} // namespace kordan
