#include "calibration/frmKalib.h"

#include "calibration/ZusiKalibrierung.h"
#include "fakes/FakeDialogs.h"
#include "fakes/TempDir.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>

#include <gtest/gtest.h>

using namespace kordan;

namespace {

// Drives the window as the main window's polling loop would in test mode.
struct Rig {
    kordan::test::TempDir dir;
    kordan::test::FakeDialogs dialogs;
    ZusiKalibrierung kalib{dialogs, dir.file("Kalibrierung.dat")};
    QPointer<frmKalib> window = new frmKalib(kalib, dialogs);

    Rig() {
        window->setAttribute(Qt::WA_DeleteOnClose);
        window->show();
    }
    ~Rig() { delete window.data(); }

    template <typename T> T* child(const char* name) {
        T* w = window->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QString text(const char* field) { return child<QLineEdit>(field)->text(); }
    QPushButton* weiter() { return child<QPushButton>("cmdWeiter"); }
    QTimer* timer() { return child<QTimer>("Timer"); }

    // The lever bytes as the polling loop passes them (the main window's tests feed it).
    void setLevers(const LeverBytes& raw) { window->ZeigeDaten(raw); }
    // Moves the levers, starts the sampling, and lets the timer run out with no report.
    void sample(const LeverBytes& position) {
        setLevers(position);
        weiter()->click();
        EXPECT_TRUE(timer()->isActive() && !weiter()->isEnabled());
        QMetaObject::invokeMethod(timer(), "timeout");
    }
};

} // namespace

TEST(frmKalib, ClicksThroughAllStepsAndSavesTheFile) {
    Rig rig;
    auto* vscroll1 = rig.child<QScrollBar>("vscroll1");
    EXPECT_TRUE(rig.timer()->interval() == 3000 && rig.timer()->isSingleShot());
    // Up arrow on the focused slider raises the hysteresis by one.
    vscroll1->setFocus();
    QKeyEvent up(QEvent::KeyPress, Qt::Key_Up, Qt::NoModifier);
    QApplication::sendEvent(vscroll1, &up);
    EXPECT_EQ(std::tuple(vscroll1->value(), rig.kalib.hysterese(2), rig.text("txtHebel1")),
              std::tuple(95, 5, "5"));
    rig.setLevers({10, 12, 8, 20, 30, 5, 6});
    EXPECT_EQ(std::tuple(rig.text("txtRohwert6"), rig.text("txtKorr1")), std::tuple("6", "12"));

    rig.weiter()->click();
    EXPECT_FALSE(vscroll1->isVisible() || rig.child<QWidget>("txtKorr1")->isVisible());
    // The line breaks of the instructions as a label shows them.
    const QString action = rig.child<QLabel>("lblAction")->text();
    EXPECT_TRUE(!action.contains('\r') && action.contains("drehen\n\nKlicken"))
        << action.toStdString();

    // Closing during a sampling stops the timer and drops the sampling; the step stays.
    rig.weiter()->click();
    rig.setLevers({1, 12, 8, 20, 30, 5, 6});
    rig.window->setAttribute(Qt::WA_DeleteOnClose, false);
    rig.window->close();
    EXPECT_FALSE(rig.timer()->isActive());
    EXPECT_EQ(rig.dir.read("Kalibrierung.dat"), "");
    rig.window->setAttribute(Qt::WA_DeleteOnClose);
    rig.window->show();

    for (const LeverBytes& position : {LeverBytes{11, 12, 8, 20, 30, 5, 6},
                                       {11, 12, 8, 20, 220, 5, 6},
                                       {240, 245, 250, 200, 40, 250, 251},
                                       {240, 245, 250, 200, 210, 250, 251}})
        rig.sample(position);
    // The bytes are the writer's; here what the clicks stored in them.
    EXPECT_EQ(std::get<CalibrationValues>(parseCalibration(rig.dir.read("Kalibrierung.dat"))),
              (CalibrationValues{{{4, 11, 240},
                                  {5, 12, 245},
                                  {4, 8, 250},
                                  {4, 20, 200},
                                  {4, 40, 210},
                                  {4, 5, 250},
                                  {4, 6, 251}}}));
    EXPECT_EQ(std::tuple(rig.window->windowTitle(), rig.weiter()->text()),
              std::tuple("Kalibrierung beendet", "&Fertig"));
    rig.weiter()->click();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(rig.window.isNull());
}
