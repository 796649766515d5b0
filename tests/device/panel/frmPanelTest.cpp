#include "device/panel/frmPanel.h"

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

TEST_F(PanelTest, SlidersSetTheRawChannelsAndReportsLightTheDisplay) {
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
    // Reports coming back light the digits, left first, and the speaker.
    const uint8_t one = 0x06, twoWithPoint = 0xDB, three = 0x4F;
    oc.WriteData(oc.kHandle, displayReport(three, twoWithPoint, one));
    const auto digits = panel.display()->digits();
    EXPECT_EQ(std::tuple(digits[0], digits[1]), std::tuple(one, twoWithPoint));
    EXPECT_EQ(panel.display()->toolTip(), QStringLiteral("12.3"));
    oc.WriteData(oc.kHandle, speakerReport(true)); // leaves the digits alone
    EXPECT_EQ(panel.speaker()->text(), QStringLiteral("Lautsprecher: an"));
    EXPECT_EQ(panel.display()->digits(), digits);
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

TEST(frmPanel, PullsTheControllerOutAndBackAndStopsListeningWhenClosed) {
    OpenController oc;
    {
        frmPanel panel(oc);
        panel.plug()->click();
        EXPECT_FALSE(oc.plugged());
        EXPECT_EQ(panel.plug()->text(), QStringLiteral("Verbinden"));
        oc.setPlugged(true); // as a scenario does: the panel follows
        EXPECT_EQ(panel.plug()->text(), QStringLiteral("Trennen"));
        oc.SetupInterface(oc.kHandle);
        EXPECT_TRUE(panel.second()->isHidden()) << "offered by the program only";
        int seconds = 0;
        panel.offerSecondController([&] { ++seconds; });
        panel.second()->click();
        panel.second()->click();
        EXPECT_EQ(seconds, 1) << "offered once";
    }
    EXPECT_EQ(oc.WriteData(oc.kHandle, speakerReport(true)), 0);
    EXPECT_TRUE(oc.speakerOn());
}

} // namespace
} // namespace kordan
