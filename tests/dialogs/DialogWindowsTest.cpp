#include "dialogs/frmAktion.h"
#include "dialogs/frmAxis.h"
#include "dialogs/frmKnopf.h"
#include "dialogs/frmOptions.h"

#include "common/NumberText.h"
#include "dialogs/AktionDialog.h"
#include "fakes/FakeDialogs.h"
#include "fakes/FakePlatform.h"
#include "fakes/TempDir.h"
#include "profile/ZusiButton.h"
#include "send/ZusiSendKonstanten.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

using namespace kordan;
using kordan::test::FakeDialogs;
using kordan::test::FakeSettings;
using kordan::test::TempDir;
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

// The axis editor's window, opened on the three-zone file when one is given.
struct AxisRig {
    TempDir dir;
    FakeDialogs dialogs;
    std::string pending;
    int reloads = 0;
    QPointer<frmAxis> window;

    explicit AxisRig(bool threeZones = true) {
        if (threeZones) {
            std::string s = "1.0\r\n[Zones]\r\n 3 \r\n";
            for (const auto& [name, values] : std::vector<std::pair<const char*, std::vector<int>>>{
                     {"Aus", {0, 40, K::Pfeife, 0, 0, 0, 0, 0}},
                     {"Mitte", {41, 100, K::SiFa, 1, 5, K::RegelbereichFahrschalter, 8, K::Glocke}},
                     {"Voll", {101, 255, K::Licht, 0, 2, 0, -3, K::Tueren}}}) {
                s += std::string(name) + "\r\n";
                for (int x : values)
                    s += formatFileNumber(x) + "\r\n";
            }
            dir.write("Lok.axr", s);
            pending = "Lok.axr";
        }
        window = new frmAxis(
            dialogs, dir.path(), [this] { return std::exchange(pending, std::string()); },
            [this] { ++reloads; });
        window->setAttribute(Qt::WA_DeleteOnClose);
        showActive(window);
    }
    ~AxisRig() { delete window.data(); }

    template <typename T> T* child(const char* name) { return ::child<T>(window, name); }
    QListWidget* list() { return child<QListWidget>("lstZone"); }
    QStringList entries() {
        QStringList out;
        for (int i = 0; i < list()->count(); ++i)
            out << list()->item(i)->text();
        return out;
    }
    void type(const char* field, const QString& text) {
        auto* f = child<QLineEdit>(field);
        f->setFocus();
        f->selectAll();
        QTest::keyClicks(f, text);
    }
    void trigger(const char* action) { child<QAction>(action)->trigger(); }
};

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

    // A name, but a repeat that is no whole number.
    QTest::keyClicks(child<QLineEdit>(&w, "txtBezeichnung"), "Horn");
    auto* funktion = child<QComboBox>(&w, "cboFunktion");
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
    EXPECT_EQ(dialogs.texts().back(), "Bitte gültige Funktion wählen");
    EXPECT_EQ(QApplication::focusWidget(), los);
    EXPECT_FALSE(b.Defined);
    los->setCurrentIndex(2);
    emit los->activated(2);
    QTest::keyClick(los, Qt::Key_Return);
    EXPECT_FALSE(w.isVisible());
    EXPECT_TRUE(b.Defined);
    EXPECT_NE(b.Release, 0);
}

TEST(frmAxis, TypingWritesThroughAndTxtBisIsCheckedOnLeaving) {
    AxisRig rig(false);
    EXPECT_EQ(rig.window->windowTitle(), QStringLiteral("Achsen konfigurieren"));
    EXPECT_TRUE(rig.child<QLineEdit>("txtBezeichnung")->isReadOnly());
    EXPECT_FALSE(rig.child<QComboBox>("cboRelease")->isEnabled());
    EXPECT_FALSE(rig.child<QWidget>("barHebel")->isVisible());
    rig.child<QPushButton>("cmdNeu")->click();
    EXPECT_EQ(rig.list()->currentRow(), 0);
    EXPECT_TRUE(rig.child<QComboBox>("cboRelease")->isEnabled());
    rig.type("txtZone", QStringLiteral("Aus"));
    rig.type("txtBis", QStringLiteral("300"));
    EXPECT_EQ(rig.entries(), QStringList{QStringLiteral("0;300; Aus")});
    QTest::keyClick(rig.child<QLineEdit>("txtBis"), Qt::Key_Tab);
    settle();
    EXPECT_EQ(rig.dialogs.texts(), std::vector<std::string>{"Maximal 255 möglich!"});
    EXPECT_EQ(QApplication::focusWidget(), rig.child<QLineEdit>("txtBis"));
    EXPECT_EQ(rig.window->editor().Achse().Zone(0).Ende, 300); // the typed number stays

    // Still 300 when leaving for another field: the same message again.
    rig.type("txtBis", QStringLiteral("20"));
    rig.type("txtvon", QStringLiteral("20"));
    settle();
    EXPECT_EQ(rig.dialogs.texts().size(), 1u);
    rig.dialogs.messages.clear();
    rig.type("txtBis", QStringLiteral("20"));
    QTest::keyClick(rig.child<QLineEdit>("txtBis"), Qt::Key_Tab);
    settle();
    EXPECT_EQ(rig.dialogs.texts(),
              std::vector<std::string>{"Achtung, Bereich bis muss grösser sein, als Bereich von!"});
    EXPECT_NE(QApplication::focusWidget(), rig.child<QLineEdit>("txtBis"));
    EXPECT_EQ(rig.entries(), QStringList{QStringLiteral("20;20; Aus")});
}

TEST(frmAxis, ReleaseChosenWhileFocusedIsSaved) {
    AxisRig rig;
    rig.list()->setCurrentRow(0);
    auto* release = rig.child<QComboBox>("cboRelease");
    release->setFocus();
    // Selected without any signal of a user's choice, as completion may do.
    release->setCurrentIndex(rig.window->editor().funktionen().indexOf(K::Glocke));
    ASSERT_EQ(QApplication::focusWidget(), release);
    rig.trigger("mnuSpeichern");
    EXPECT_NE(rig.dir.read("Lok.axr").find("Aus\r\n 0 \r\n 40 \r\n 28 \r\n 0 \r\n 0 \r\n 0 \r\n "
                                           "0 \r\n 38 \r\n"),
              std::string::npos);
    EXPECT_FALSE(rig.window->editor().geaendert());
}

TEST(frmAxis, ClosingAfterAnEditAsks) {
    AxisRig rig;
    rig.list()->setCurrentRow(0);
    rig.child<QCheckBox>("chkHold")->click();
    rig.dialogs.answers = {MsgAnswer::Cancel};
    EXPECT_FALSE(rig.window->close());
    EXPECT_EQ(rig.dialogs.texts(), std::vector<std::string>{"Aenderungen speichern?"});
    EXPECT_TRUE(rig.window);
    rig.dialogs.answers = {MsgAnswer::No};
    rig.trigger("mnuEnde");
    settle();
    EXPECT_FALSE(rig.window); // deleted on close
    EXPECT_EQ(rig.reloads, 0);
}

TEST(frmAxis, LiveLeverShowsOverTheZones) {
    AxisRig rig;
    auto* bar = rig.child<QWidget>("barHebel");
    auto* label = rig.child<QLabel>("lblHebel");
    rig.window->setLeverValue(50);
    EXPECT_FALSE(bar->isVisible());
    rig.window->setLiveLever(2);
    EXPECT_TRUE(bar->isVisible());
    EXPECT_EQ(label->text(), QStringLiteral("Hebel 2 (Throttle): 50 – Zone 1: Mitte"));
    rig.window->setLeverValue(255);
    EXPECT_TRUE(label->text().contains(QStringLiteral("Zone 2: Voll")));
    // Edits show at once.
    rig.list()->setCurrentRow(2);
    rig.type("txtZone", QStringLiteral("Ende"));
    EXPECT_TRUE(label->text().contains(QStringLiteral("Zone 2: Ende")));
    rig.window->setLiveLever(0);
    EXPECT_FALSE(bar->isVisible());
}
