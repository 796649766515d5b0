#include "device/panel/frmPanel.h"

#include "device/Reports.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QTest>

#include <gtest/gtest.h>

namespace kordan {
namespace {

// A virtual controller opened as the program has it; lever 3 stands at 77 before the panel.
struct OpenController : VirtualController {
    OpenController() {
        SetupInterface(kHandle);
        setLever(3, 77);
    }
};

struct PanelTest : ::testing::Test {
    OpenController oc;
    frmPanel panel{oc};
};

TEST_F(PanelTest, SlidersSetTheRawChannels) {
    // Starts from the controller's state, its raw value shown.
    EXPECT_EQ(panel.findChild<QLabel*>("lblLever3")->text(), "77");
    // The rear stop (raw 0) is at the top, a switch's "links" (raw 0) at the left: a click
    // there moves the lever toward it; a switch stops at links, mitte and rechts only.
    panel.lever(2)->setValue(200);
    panel.lever(6)->setValue(100);
    panel.lever(7)->setValue(200);
    QTest::mouseClick(panel.lever(2), Qt::LeftButton, {}, QPoint(panel.lever(2)->width() / 2, 2));
    QTest::mouseClick(panel.lever(6), Qt::LeftButton, {}, QPoint(2, panel.lever(6)->height() / 2));
    // Bail-off springs back when let go.
    panel.lever(5)->setValue(255);
    EXPECT_EQ(oc.lever(5), 255);
    QTest::mouseRelease(panel.lever(5), Qt::LeftButton);
    InputReport r{};
    oc.ReadData(oc.kHandle, r);
    EXPECT_LT(leverRaw(r, 2), 200);
    EXPECT_EQ(leverRaw(r, 3), 77) << "untouched";
    EXPECT_EQ(leverRaw(r, 5), 0) << "the bail-off let go";
    EXPECT_EQ(leverRaw(r, 6), 0) << "a switch clicked at its left";
    EXPECT_EQ(leverRaw(r, 7), 255) << "a switch at 200 stops at rechts";
}

TEST_F(PanelTest, ButtonsAreMomentaryUnlessTheyLatch) {
    QPushButton* b = panel.button(37);
    QTest::mousePress(b, Qt::LeftButton);
    EXPECT_TRUE(oc.button(37));
    QTest::mouseRelease(b, Qt::LeftButton);
    EXPECT_FALSE(oc.button(37));
    panel.latching()->setChecked(true);
    QTest::mouseClick(b, Qt::LeftButton);
    EXPECT_TRUE(oc.button(37));
    panel.latching()->setChecked(false); // lets a latched button spring back
    EXPECT_FALSE(oc.button(37));
}

} // namespace
} // namespace kordan
