#include "app/QtDialogs.h"

#include "common/Messages.h"
#include "common/TextFile.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QTranslator>

#include <cstdio>

namespace kordan {

namespace {

QString q(const std::string& s) {
    return QString::fromStdString(s);
}

QWidget* activeParent() {
    return QApplication::activeWindow();
}

} // namespace

bool loadQtGerman() {
    // The program speaks German whatever the system's language is, so Qt's part does too.
    static QTranslator german;
    if (!german.isEmpty())
        return true;
    return german.load(QStringLiteral("qtbase_de"),
                       QLibraryInfo::path(QLibraryInfo::TranslationsPath)) &&
           QCoreApplication::installTranslator(&german);
}

std::string qtFilterFromPipes(const std::string& filter) {
    // The pipe notation alternates caption and pattern; Qt shows the caption, which
    // already names the pattern in brackets.
    std::string out;
    size_t start = 0;
    bool caption = true;
    while (start <= filter.size()) {
        size_t bar = filter.find('|', start);
        std::string part =
            filter.substr(start, bar == std::string::npos ? std::string::npos : bar - start);
        if (caption) {
            if (!out.empty())
                out += ";;";
            out += part;
        }
        caption = !caption;
        if (bar == std::string::npos)
            break;
        start = bar + 1;
    }
    return out;
}

MsgAnswer QtDialogs::message(const std::string& message, MsgButtons buttons, MsgIcon icon,
                             const std::string& title) {
    // A name read from a broken file may carry any byte; it is shown, escaped, not obeyed.
    const std::string text = printableText(message);
    if (m_scripted) {
        std::fprintf(stderr, "message: %s\n", text.c_str());
        std::fflush(stderr);
        return buttons == MsgButtons::Ok ? MsgAnswer::Ok : MsgAnswer::Yes; // Qt's default
    }
    QMessageBox box(activeParent());
    box.setWindowTitle(q(title.empty() ? kApplicationTitle : printableText(title)));
    box.setText(q(text));
    switch (icon) {
    case MsgIcon::None:
        box.setIcon(QMessageBox::NoIcon);
        break;
    case MsgIcon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case MsgIcon::Exclamation:
        box.setIcon(QMessageBox::Warning);
        break;
    case MsgIcon::Question:
        box.setIcon(QMessageBox::Question);
        break;
    case MsgIcon::Critical:
        box.setIcon(QMessageBox::Critical);
        break;
    }
    switch (buttons) {
    case MsgButtons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case MsgButtons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        break;
    case MsgButtons::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        box.setEscapeButton(QMessageBox::Cancel);
        break;
    }
    // German captions whatever the system's language is.
    const std::pair<QMessageBox::StandardButton, const char*> captions[] = {
        {QMessageBox::Yes, "&Ja"}, {QMessageBox::No, "&Nein"}, {QMessageBox::Cancel, "Abbrechen"}};
    for (auto& [which, caption] : captions)
        if (QAbstractButton* b = box.button(which))
            b->setText(QString::fromUtf8(caption));
    switch (box.exec()) {
    case QMessageBox::Yes:
        return MsgAnswer::Yes;
    case QMessageBox::No:
        return MsgAnswer::No;
    case QMessageBox::Cancel:
        return MsgAnswer::Cancel;
    default:
        // Closing a Yes/No box by its frame counts as No; an OK box only has OK.
        return buttons == MsgButtons::Ok      ? MsgAnswer::Ok
               : buttons == MsgButtons::YesNo ? MsgAnswer::No
                                              : MsgAnswer::Cancel;
    }
}

FileChoice QtDialogs::openFile(const std::string& filter, const std::string& initialDir) {
    if (m_scripted)
        return {};
    QString path = QFileDialog::getOpenFileName(activeParent(), QStringLiteral("Öffnen"),
                                                q(initialDir), q(qtFilterFromPipes(filter)));
    if (path.isEmpty())
        return {};
    return {FileChoice::Result::Chosen, QDir::toNativeSeparators(path).toStdString(), 0, {}};
}

FileChoice QtDialogs::saveFile(const std::string& filter, const std::string& initialDir,
                               const std::string& offeredName) {
    if (m_scripted)
        return {};
    QString start = q(initialDir);
    if (!offeredName.empty()) {
        QFileInfo offered(q(offeredName));
        start = offered.isAbsolute() ? offered.filePath()
                                     : QDir(q(initialDir)).filePath(offered.filePath());
    }
    // Qt's dialog asks before overwriting and only accepts existing directories. A name
    // typed without extension gets the chosen filter's, or the next dialog's filter would
    // hide the file; the overwrite question then asks about the extended name.
    QFileDialog box(activeParent(), QStringLiteral("Speichern unter"), start,
                    q(qtFilterFromPipes(filter)));
    box.setAcceptMode(QFileDialog::AcceptSave);
    auto useSuffixOf = [&box](const QString& nameFilter) {
        static const QRegularExpression pattern(QStringLiteral(R"(\(\*\.(\w+)\))"));
        box.setDefaultSuffix(pattern.match(nameFilter).captured(1));
    };
    useSuffixOf(box.selectedNameFilter());
    QObject::connect(&box, &QFileDialog::filterSelected, &box, useSuffixOf);
    if (box.exec() != QDialog::Accepted || box.selectedFiles().isEmpty())
        return {};
    const QString path = box.selectedFiles().constFirst();
    return {FileChoice::Result::Chosen, QDir::toNativeSeparators(path).toStdString(), 0, {}};
}

} // namespace kordan
