#pragma once

#include <QDialog>

class QPlainTextEdit;

namespace kordan {

// "System-Info": the system information as read-only text that can be selected, and a
// button that puts all of it on the clipboard, for a message asking for help.
class DiagnosticsWindow : public QDialog {
public:
    DiagnosticsWindow(const QString& text, QWidget* parent = nullptr);
    QString text() const;

private:
    QPlainTextEdit* m_text;
};

} // namespace kordan
