#include "app/DiagnosticsWindow.h"

#include <QClipboard>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace kordan {

DiagnosticsWindow::DiagnosticsWindow(const QString& text, QWidget* parent)
    : QDialog(parent), m_text(new QPlainTextEdit(text, this)) {
    setWindowTitle(QStringLiteral("System-Info"));
    m_text->setObjectName("txtSystemInfo");
    m_text->setReadOnly(true);
    m_text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_text->setLineWrapMode(QPlainTextEdit::NoWrap);
    auto* copy = new QPushButton(QStringLiteral("&Kopieren"), this);
    copy->setObjectName("cmdKopieren");
    connect(copy, &QPushButton::clicked, this,
            [this] { QGuiApplication::clipboard()->setText(m_text->toPlainText()); });
    auto* close = new QPushButton(QStringLiteral("&Schließen"), this);
    close->setObjectName("cmdSchliessen");
    close->setDefault(true);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(copy);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_text);
    layout->addLayout(buttons);
    resize(680, 320);
}

QString DiagnosticsWindow::text() const {
    return m_text->toPlainText();
}

} // namespace kordan
