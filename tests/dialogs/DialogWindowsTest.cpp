#include "dialogs/frmAktion.h"
#include "dialogs/frmAxis.h"
#include "dialogs/frmKnopf.h"
#include "dialogs/frmOptions.h"

#include "dialogs/AktionDialog.h"
#include "fakes/FakeDialogs.h"
#include "fakes/FakePlatform.h"
#include "fakes/TempDir.h"
#include "profile/ZusiButton.h"
#include "send/ZusiSendKonstanten.h"

#include <QAction>
#include <QApplication>
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
using Texts = std::vector<std::string>;
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

QWidget* focused() {
    return QApplication::focusWidget();
}

// Lets deferred leave checks run.
void settle() {
    for (int i = 0; i < 3; ++i)
        QApplication::processEvents();
}

// The axis editor's window, opened on a three-zone file.
struct AxisRig {
    kordan::test::TempDir dir;
    FakeDialogs dialogs;
    std::string pending = "Lok.axr";
    QPointer<frmAxis> window;

    AxisRig() {
        const ZusiZone zones[] = {
            {"Aus", 0, 40, K::Pfeife}, {"Mitte", 41, 100}, {"Voll", 101, 255}};
        dir.write("Lok.axr", axisFileBytes(zones));
        window = new frmAxis(
            dialogs, dir.path(), [this] { return std::exchange(pending, std::string()); }, [] {});
        window->setAttribute(Qt::WA_DeleteOnClose);
        showActive(window);
    }
    ~AxisRig() { delete window.data(); }

    template <typename T> T* child(const char* name) { return ::child<T>(window, name); }
};

} // namespace

TEST(frmKnopf, RejectedOkKeepsTheDialogOpenOnTheFieldAndEnterPressesOk) {
    ZusiButton b;
    FakeDialogs dialogs;
    frmKnopf w(b, 12, dialogs);
    showActive(&w);
    child<QPushButton>(&w, "OKButton")->click();
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(focused(), child<QLineEdit>(&w, "txtBezeichnung"));
    QTest::keyClicks(child<QLineEdit>(&w, "txtBezeichnung"), "Horn");
    auto* los = child<QComboBox>(&w, "cboLos");
    child<QLineEdit>(&w, "txtRepeat")->setText(QStringLiteral("4"));
    los->setCurrentIndex(2);
    emit los->activated(2);
    QTest::keyClick(los, Qt::Key_Return);
    EXPECT_EQ(b.Bezeichnung, "Horn");
    EXPECT_EQ(b.Repeat, 4);
    EXPECT_EQ(w.result(), QDialog::Accepted);
    EXPECT_NE(b.Release, 0);
}

TEST(frmAktion, RecordsTheChosenActionAndIgnoresEnterAndEscape) {
    for (auto [name, value] : {std::pair{"cmdZuord", Aktion::Zuordnen},
                               {"cmdFlip", Aktion::Umdrehen},
                               {"cmdDel", Aktion::Entfernen},
                               {"cmdEdit", Aktion::Bearbeiten},
                               {"CancelButton", Aktion::Keine}}) {
        int32_t aktion = 99;
        frmAktion w(3, aktion, nullptr);
        showActive(&w);
        QTest::keyClick(&w, Qt::Key_Escape);
        QTest::keyClick(focused(), Qt::Key_Return);
        EXPECT_TRUE(w.isVisible()) << name;
        EXPECT_EQ(aktion, 0) << name;
        child<QPushButton>(&w, name)->click();
        EXPECT_FALSE(w.isVisible()) << name;
        EXPECT_EQ(aktion, value) << name;
    }
}

// The checks themselves are the core's; here when the window runs them.
TEST(frmOptions, LeavingAndOkCheckOnceAbbrechenNever) {
    kordan::test::FakeSettings settings;
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
    QTest::keyClick(txtMs, Qt::Key_Tab); // leaving runs the check
    settle();
    EXPECT_EQ(dialogs.texts().size(), 1u);
    EXPECT_EQ(focused(), txtMs);
    // OK with an invalid value checks once (not for the field and the button both).
    txtMs->setText(QStringLiteral("0"));
    QTest::mouseClick(child<QPushButton>(&w, "cmdOK"), Qt::LeftButton);
    settle();
    EXPECT_EQ(dialogs.texts().size(), 2u);
    EXPECT_EQ(focused(), txtMs);
    txtMs->setText(QStringLiteral("7"));
    child<QPushButton>(&w, "cmdApply")->click();
    const size_t shown = dialogs.messages.size();
    txtMs->setFocus();
    txtMs->setText(QStringLiteral("0"));
    QTest::mouseClick(child<QPushButton>(&w, "cmdCancel"), Qt::LeftButton);
    settle();
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(dialogs.texts().size(), shown) << "Abbrechen checks nothing";
    EXPECT_EQ(settings.writes, Texts{"Polling=7"}) << "only the applied value";
}

TEST(frmAxis, ReleaseChosenWhileFocusedIsSaved) {
    AxisRig rig;
    rig.child<QListWidget>("lstZone")->setCurrentRow(0);
    auto* release = rig.child<QComboBox>("cboRelease");
    release->setFocus();
    // Selected without any signal of a user's choice, as completion may do.
    release->setCurrentIndex(rig.window->editor().funktionen().indexOf(K::Glocke));
    ASSERT_EQ(focused(), release);
    rig.child<QAction>("mnuSpeichern")->trigger();
    EXPECT_NE(rig.dir.read("Lok.axr").find("Aus\r\n 0 \r\n 40 \r\n 28 \r\n 0 \r\n 0 \r\n 0 \r\n "
                                           "0 \r\n 38 \r\n"),
              std::string::npos);
}

TEST(frmAxis, LiveLeverShowsOverTheZones) {
    AxisRig rig;
    auto* label = rig.child<QLabel>("lblHebel");
    rig.window->setLeverValue(50);
    rig.window->setLiveLever(2);
    EXPECT_EQ(label->text(), QStringLiteral("Hebel 2 (Throttle): 50 – Zone 1: Mitte"));
}
