#include "device/panel/frmPanel.h"

#include "app/LedDigits.h"
#include "device/Reports.h"
#include "device/panel/Segments.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QTest>

#include <gtest/gtest.h>

namespace kordan {
namespace {

// An opened virtual controller, as the program has it once it selected the device.
struct OpenController {
    OpenController() {
        DeviceInfoTable info{};
        int32_t count = 0;
        c.EnumeratePIE(0x05F3, info, count);
        c.SetupInterface(VirtualController::kHandle);
    }
    InputReport read() {
        InputReport r{};
        c.ReadData(VirtualController::kHandle, r);
        return r;
    }
    VirtualController c;
};

TEST(frmPanel, SlidersSetTheRawChannels) {
    OpenController oc;
    oc.c.setLever(3, 77);
    frmPanel panel(oc.c);
    EXPECT_EQ(panel.lever(3)->value(), 77); // starts from the controller's state
    panel.lever(2)->setValue(200);
    panel.lever(7)->setValue(0);
    const InputReport r = oc.read();
    EXPECT_EQ(std::vector<int>({leverRaw(r, 2), leverRaw(r, 3), leverRaw(r, 7)}),
              std::vector<int>({200, 77, 0}));
    EXPECT_EQ(panel.findChild<QLabel*>(QStringLiteral("lblLever2"))->text(), QStringLiteral("200"));
}

TEST(frmPanel, ButtonsAreMomentaryUnlessTheyLatch) {
    OpenController oc;
    frmPanel panel(oc.c);
    QPushButton* b = panel.button(37);
    ASSERT_EQ(b->objectName(), QStringLiteral("cmdButton37"));
    QTest::mousePress(b, Qt::LeftButton);
    EXPECT_TRUE(oc.c.button(37) && buttonPressed(oc.read(), 37));
    QTest::mouseRelease(b, Qt::LeftButton);
    EXPECT_FALSE(oc.c.button(37));

    panel.latching()->setChecked(true);
    QTest::mouseClick(b, Qt::LeftButton);
    EXPECT_TRUE(oc.c.button(37));
    QTest::mouseClick(panel.button(1), Qt::LeftButton);
    QTest::mouseClick(panel.button(1), Qt::LeftButton);
    EXPECT_FALSE(oc.c.button(1));
    // Switching latching off lets a latched button spring back.
    panel.latching()->setChecked(false);
    EXPECT_FALSE(oc.c.button(37) || b->isCheckable());
}

TEST(frmPanel, EveryButtonIsReachedByAClickOnItsMiddle) {
    OpenController oc;
    frmPanel panel(oc.c);
    // The main window's fields touch at a few corners; every button must still be the
    // one that a click on its middle reaches.
    QWidget* area = panel.button(1)->parentWidget();
    for (int k = 1; k <= 44; ++k)
        EXPECT_EQ(area->childAt(panel.button(k)->geometry().center()), panel.button(k)) << k;
}

TEST(frmPanel, DisplayReportsLightTheRightSegments) {
    OpenController oc;
    frmPanel panel(oc.c);
    const OutputReport r =
        displayReport(SegmentCode(3, false), SegmentCode(2, true), SegmentCode(1, false));
    oc.c.WriteData(VirtualController::kHandle, r);
    const auto digits = panel.display()->digits();
    EXPECT_EQ(std::tuple(digits[0], decodeDigit(digits[1]).point, digitChar(digits[2]),
                         panel.display()->toolTip()),
              std::tuple(SegmentCode(1, false), true, '3', QStringLiteral("12.3"))); // left first
    // A speaker report leaves the digits alone.
    oc.c.WriteData(VirtualController::kHandle, speakerReport(true));
    EXPECT_TRUE(panel.speaker()->text() == QStringLiteral("Lautsprecher: an") &&
                panel.display()->digits() == digits);
    oc.c.WriteData(VirtualController::kHandle, speakerReport(false));
    EXPECT_EQ(panel.speaker()->text(), QStringLiteral("Lautsprecher: aus"));
    panel.display()->grab(); // paints without trouble
}

TEST(frmPanel, PullsTheControllerOutAndBackAndStopsListeningWhenClosed) {
    OpenController oc;
    {
        frmPanel panel(oc.c);
        panel.plug()->click();
        EXPECT_TRUE(!oc.c.plugged() && panel.plug()->text() == QStringLiteral("Verbinden"));
        oc.c.setPlugged(true); // as a scenario does: the panel follows
        EXPECT_EQ(panel.plug()->text(), QStringLiteral("Trennen"));
        oc.c.SetupInterface(VirtualController::kHandle);
        EXPECT_TRUE(panel.second()->isHidden()) << "offered by the program only";
        int seconds = 0;
        panel.offerSecondController([&] { ++seconds; });
        panel.second()->click();
        panel.second()->click();
        EXPECT_EQ(seconds, 1);
    }
    EXPECT_EQ(oc.c.WriteData(VirtualController::kHandle, speakerReport(true)), 0);
    EXPECT_TRUE(oc.c.speakerOn());
}

} // namespace
} // namespace kordan
