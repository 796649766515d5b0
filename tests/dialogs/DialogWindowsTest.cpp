#include "dialogs/frmAktion.h"
#include "dialogs/frmKnopf.h"
#include "dialogs/frmOptions.h"

#include "dialogs/AktionDialog.h"
#include "fakes/FakeDialogs.h"
#include "fakes/FakePlatform.h"
#include "profile/ZusiButton.h"
#include "send/ZusiSendKonstanten.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

using namespace kordan;
using kordan::test::FakeDialogs;
using kordan::test::FakeSettings;
namespace K = kordan::ZusiSendKonstanten;

namespace {

template <typename T> T* child(QWidget* w, const char* name) {
    T* c = w->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(c, nullptr) << name;
    return c;
}

// Shows a window and makes it the active one, so focus moves as for a user.
void showActive(QWidget* w) {
    w->show();
    w->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w));
}

// Lets deferred leave checks run.
void settle() {
    for (int i = 0; i < 3; ++i)
        QApplication::processEvents();
}

} // namespace

TEST(frmKnopf, NeverAssignedButtonOpensEmptyAndRejectedOkKeepsTheDialogOpen) {
    ZusiButton b;
    FakeDialogs dialogs;
    frmKnopf w(b, 12, dialogs);
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Knopf 12 konfigurieren"));
    EXPECT_EQ(child<QComboBox>(&w, "cboLos")->currentText(), QStringLiteral("<Nicht definiert>"));
    showActive(&w);
    child<QPushButton>(&w, "OKButton")->click();
    EXPECT_EQ(dialogs.texts(), std::vector<std::string>{"Bitte Bezeichnung eingeben"});
    EXPECT_TRUE(w.isVisible());
    EXPECT_FALSE(b.Defined);
    EXPECT_EQ(QApplication::focusWidget(), child<QLineEdit>(&w, "txtBezeichnung"));

    // A name, but a typed function that names no entry.
    QTest::keyClicks(child<QLineEdit>(&w, "txtBezeichnung"), "Horn");
    auto* funktion = child<QComboBox>(&w, "cboFunktion");
    funktion->lineEdit()->selectAll();
    QTest::keyClicks(funktion->lineEdit(), "Kaffee kochen");
    child<QPushButton>(&w, "OKButton")->click();
    EXPECT_EQ(dialogs.texts().back(), "Bitte gültige Funktion wählen");
    EXPECT_TRUE(w.isVisible());
    EXPECT_FALSE(b.Defined);
    EXPECT_EQ(QApplication::focusWidget(), funktion);

    // A repeat that is no whole number.
    funktion->setCurrentIndex(3);
    emit funktion->activated(3);
    auto* repeat = child<QLineEdit>(&w, "txtRepeat");
    repeat->setText(QStringLiteral("zwei"));
    child<QPushButton>(&w, "OKButton")->click();
    EXPECT_TRUE(w.isVisible());
    EXPECT_FALSE(b.Defined);
    EXPECT_EQ(QApplication::focusWidget(), repeat);

    // Enter presses OK.
    repeat->setText(QStringLiteral("4"));
    QTest::keyClick(repeat, Qt::Key_Return);
    EXPECT_EQ(w.result(), QDialog::Accepted);
    EXPECT_EQ(b.Bezeichnung, "Horn");
    EXPECT_EQ(b.Repeat, 4);
    EXPECT_NE(b.Press, 0);
}

TEST(frmKnopf, AbbrechenWritesNothingAndEscapeClearsLikeLoeschen) {
    ZusiButton b;
    b.Bezeichnung = "Sifa";
    b.Press = K::SiFa;
    b.Shift = b.Hold = 1;
    b.Defined = true;
    FakeDialogs dialogs;
    {
        frmKnopf w(b, 2, dialogs);
        showActive(&w);
        child<QLineEdit>(&w, "txtBezeichnung")->setText(QStringLiteral("anders"));
        child<QPushButton>(&w, "CancelButton")->click();
        EXPECT_FALSE(w.isVisible());
        EXPECT_EQ(b.Bezeichnung, "Sifa");
    }
    // Escape, even in a command list, clears like "&Löschen".
    frmKnopf w(b, 5, dialogs);
    showActive(&w);
    EXPECT_TRUE(child<QCheckBox>(&w, "chkShift")->isChecked());
    QTest::keyClick(child<QComboBox>(&w, "cboFunktion2"), Qt::Key_Escape);
    EXPECT_FALSE(w.isVisible());
    EXPECT_FALSE(b.Defined);
    EXPECT_EQ(b.Bezeichnung, "");
    EXPECT_EQ(b.Press + b.Hold + b.Shift, 0);
}

TEST(frmAktion, RecordsTheChosenActionAndIgnoresEnterAndEscape) {
    const std::vector<std::pair<const char*, int32_t>> buttons = {{"cmdZuord", Aktion::Zuordnen},
                                                                  {"cmdFlip", Aktion::Umdrehen},
                                                                  {"cmdDel", Aktion::Entfernen},
                                                                  {"cmdEdit", Aktion::Bearbeiten},
                                                                  {"CancelButton", Aktion::Keine}};
    for (const auto& [name, value] : buttons) {
        int32_t aktion = 99;
        frmAktion w(3, aktion, nullptr);
        showActive(&w);
        QTest::keyClick(&w, Qt::Key_Escape);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        EXPECT_TRUE(w.isVisible()) << name;
        EXPECT_EQ(aktion, 0);
        child<QPushButton>(&w, name)->click();
        EXPECT_FALSE(w.isVisible()) << name;
        EXPECT_EQ(aktion, value) << name;
    }
    int32_t aktion = 0;
    frmAktion w(1, aktion, nullptr);
    // Closed by the frame: no action.
    showActive(&w);
    w.close();
    EXPECT_EQ(aktion, 0);
}

TEST(frmOptions, InvalidIntervalKeepsTheFocusAndOkChecksOnce) {
    FakeSettings settings;
    FakeDialogs dialogs;
    settings.values["Polling"] = "0";
    frmOptions w(settings, dialogs);
    showActive(&w);
    auto* txtMs = child<QLineEdit>(&w, "txtMs");
    EXPECT_FALSE(txtMs->isEnabled());
    child<QRadioButton>(&w, "optMs")->click();
    txtMs->setFocus();
    txtMs->selectAll();
    QTest::keyClicks(txtMs, "101");
    QTest::keyClick(txtMs, Qt::Key_Tab);
    settle();
    EXPECT_EQ(dialogs.texts(), std::vector<std::string>{"Bitte Zahl zwischen 1 und 100 eingeben"});
    EXPECT_EQ(QApplication::focusWidget(), txtMs);

    txtMs->selectAll();
    QTest::keyClicks(txtMs, "100");
    QTest::keyClick(txtMs, Qt::Key_Tab);
    settle();
    EXPECT_EQ(dialogs.texts().size(), 1u);
    EXPECT_NE(QApplication::focusWidget(), txtMs);

    // OK with an invalid value checks once and closes only when written.
    dialogs.messages.clear();
    txtMs->setFocus();
    txtMs->setText(QStringLiteral("0"));
    QTest::mouseClick(child<QPushButton>(&w, "cmdOK"), Qt::LeftButton);
    settle();
    // One message, not one for leaving the field and one for the button.
    EXPECT_EQ(dialogs.texts().size(), 1u);
    EXPECT_EQ(QApplication::focusWidget(), txtMs);
    EXPECT_TRUE(settings.writes.empty());

    txtMs->setText(QStringLiteral("7"));
    QTest::keyClick(txtMs, Qt::Key_Return);
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(settings.writes, std::vector<std::string>{"Polling=7"});
}

TEST(frmOptions, ApplyThenCancelKeepsTheAppliedValue) {
    FakeSettings settings;
    FakeDialogs dialogs;
    frmOptions w(settings, dialogs);
    showActive(&w);
    auto* txtMs = child<QLineEdit>(&w, "txtMs");
    txtMs->setText(QStringLiteral("50ms"));
    child<QPushButton>(&w, "cmdApply")->click();
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(settings.values["Polling"], "50ms");

    // An invalid value, then "Abbrechen": no check, nothing written, the dialog closes.
    txtMs->setFocus();
    txtMs->setText(QStringLiteral("0"));
    const size_t shown = dialogs.messages.size();
    QTest::mouseClick(child<QPushButton>(&w, "cmdCancel"), Qt::LeftButton);
    settle();
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(dialogs.messages.size(), shown);
    EXPECT_EQ(settings.writes, std::vector<std::string>{"Polling=50ms"});
}

TEST(frmKnopf, EnterInACommandListPressesOk) {
    ZusiButton b;
    FakeDialogs dialogs;
    frmKnopf w(b, 1, dialogs);
    showActive(&w);
    child<QLineEdit>(&w, "txtBezeichnung")->setText(QStringLiteral("Tür"));
    auto* los = child<QComboBox>(&w, "cboLos");
    los->setFocus();
    los->lineEdit()->selectAll();
    QTest::keyClicks(los->lineEdit(), "xyz");
    QTest::keyClick(los->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(los->count(), w.findChild<QComboBox*>("cboFunktion")->count()); // no entry added
    EXPECT_TRUE(w.isVisible());
    EXPECT_FALSE(b.Defined);
    los->setCurrentIndex(2);
    emit los->activated(2);
    QTest::keyClick(los, Qt::Key_Return);
    EXPECT_FALSE(w.isVisible());
    EXPECT_TRUE(b.Defined);
    EXPECT_NE(b.Release, 0);
}
