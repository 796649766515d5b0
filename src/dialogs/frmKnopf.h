#pragma once

#include "dialogs/KnopfDialog.h"

#include <QDialog>

#include <cstdint>

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace kordan {

class IDialogs;
struct ZusiButton;

// The button dialog: a thin view over KnopfDialog. Modal; it writes straight into the
// profile's button. Enter is "OK"; Escape is "Abbrechen", as everywhere, so leaving the
// dialog never clears an assignment ("&Löschen" is its button and Alt+L).
class frmKnopf : public QDialog {
    Q_OBJECT
public:
    frmKnopf(ZusiButton& knopf, int16_t element, IDialogs& dialogs, QWidget* parent = nullptr);

private:
    QComboBox* commandList(const QString& name, CommandChoice& choice);
    void okClicked();

    KnopfDialog m_logic;
    QLineEdit* m_txtBezeichnung = nullptr;
    QComboBox* m_cboFunktion = nullptr;
    QCheckBox* m_chkHalten = nullptr;
    QLineEdit* m_txtRepeat = nullptr;
    QComboBox* m_cboLos = nullptr;
    QCheckBox* m_chkShift = nullptr;
    QComboBox* m_cboFunktion2 = nullptr;
};

} // namespace kordan
