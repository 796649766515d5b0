#include "dialogs/frmAktion.h"

#include "dialogs/AktionDialog.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace kordan {

frmAktion::frmAktion(int16_t element, int32_t& aktion, QWidget* parent)
    : QDialog(parent), m_aktion(aktion) {
    m_aktion = Aktion::Keine;
    setObjectName(QStringLiteral("frmAktion"));
    setWindowTitle(QString::fromStdString(aktionTitle(element)));
    setModal(true);

    auto* layout = new QVBoxLayout(this);
    auto* frage = new QLabel(QStringLiteral("Welche Aktion soll durchgeführt werden?"));
    frage->setObjectName(QStringLiteral("lblFrage"));
    layout->addWidget(frage);

    const auto addButton = [&](const char* name, const QString& caption, int32_t value) {
        auto* button = new QPushButton(caption);
        button->setObjectName(QString::fromLatin1(name));
        button->setAutoDefault(false);
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        connect(button, &QPushButton::clicked, this, [this, value] {
            m_aktion = value;
            if (value == Aktion::Keine)
                reject();
            else
                accept();
        });
        layout->addWidget(button);
    };
    addButton("cmdZuord", QStringLiteral("Dem Hebel eine Achse zuordnen"), Aktion::Zuordnen);
    addButton("cmdFlip", QStringLiteral(" Helbelrichtung umdehen (+/-)"), Aktion::Umdrehen);
    addButton("cmdDel", QStringLiteral("Zuordnung der Achse entfernen"), Aktion::Entfernen);
    addButton("cmdEdit", QStringLiteral("Achse in den Achseneditor laden"), Aktion::Bearbeiten);
    addButton("CancelButton", QStringLiteral("Abbrechen"), Aktion::Keine);

    auto* hinweis = new QLabel(
        QStringLiteral("Hinweis: Um eine neue Achse zu erstellen, via Achsen->Konfigurieren den "
                       "Achseneditor direkt starten, danach die neu erstelle Achse zuordnen."));
    hinweis->setObjectName(QStringLiteral("lblHinweis"));
    hinweis->setWordWrap(true);
    layout->addSpacing(8);
    layout->addWidget(hinweis);
    setMinimumWidth(320);
}

void frmAktion::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        event->accept();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

} // namespace kordan
