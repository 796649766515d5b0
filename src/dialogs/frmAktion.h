#pragma once

#include <QDialog>

#include <cstdint>

namespace kordan {

// The lever action dialog: records the user's choice for one lever in `aktion` (see
// Aktion in AktionDialog.h) and closes; the main window carries the choice out. Modal;
// neither Enter nor Escape presses a button.
class frmAktion : public QDialog {
    Q_OBJECT
public:
    frmAktion(int16_t element, int32_t& aktion, QWidget* parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    int32_t& m_aktion;
};

} // namespace kordan
