#include "calibration/frmKalib.h"

#include "calibration/ZusiKalibrierung.h"
#include "fakes/FakeDialogs.h"
#include "fakes/TempDir.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>

#include <gtest/gtest.h>

using namespace kordan;

template <typename T> static T* child(QWidget& window, const char* name) {
    T* w = window.findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
}

// The steps themselves are the wizard's test; here the window's wiring: keys, fields, button,
// timer and closing, driven as the main window's polling loop would in test mode.
TEST(frmKalib, PassesKeysClicksTicksAndClosingToTheWizard) {
    kordan::test::TempDir dir;
    kordan::test::FakeDialogs dialogs;
    ZusiKalibrierung kalib{dialogs, dir.file("Kalibrierung.dat")};
    frmKalib window(kalib, dialogs);
    window.show();
    auto* vscroll1 = child<QScrollBar>(window, "vscroll1");
    auto* weiter = child<QPushButton>(window, "cmdWeiter");
    auto* timer = child<QTimer>(window, "Timer");
    // Up arrow on the focused slider raises the hysteresis by one.
    vscroll1->setFocus();
    QKeyEvent up(QEvent::KeyPress, Qt::Key_Up, Qt::NoModifier);
    QApplication::sendEvent(vscroll1, &up);
    window.ZeigeDaten({10, 12, 8, 20, 30, 5, 6});
    EXPECT_EQ(vscroll1->value(), 95);
    EXPECT_EQ(kalib.hysterese(2), 5);
    EXPECT_EQ(child<QLineEdit>(window, "txtHebel1")->text(), "5");

    weiter->click();
    weiter->click();
    EXPECT_TRUE(timer->isActive());
    EXPECT_FALSE(weiter->isEnabled());
    QMetaObject::invokeMethod(timer, "timeout");
    const std::string saved = dir.read("Kalibrierung.dat");
    EXPECT_EQ(window.windowTitle(), "Kalibrierung Schritt 3, Bail off, hinten");
    EXPECT_FALSE(saved.empty());
    EXPECT_TRUE(weiter->isEnabled());

    // Closing during a sampling stops the timer and drops the sampling.
    weiter->click();
    window.close();
    EXPECT_FALSE(timer->isActive());
    EXPECT_EQ(dir.read("Kalibrierung.dat"), saved) << "the sampling dropped";
}
