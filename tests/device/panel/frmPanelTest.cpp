#include "device/panel/frmPanel.h"

#include "device/Reports.h"

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
    // Bail-off springs back when let go.
    panel.lever(5)->setValue(255);
    EXPECT_EQ(oc.lever(5), 255);
    QTest::mouseRelease(panel.lever(5), Qt::LeftButton);
    InputReport r{};
    oc.ReadData(oc.kHandle, r);
    EXPECT_EQ(leverRaw(r, 3), 77) << "untouched";
    EXPECT_EQ(leverRaw(r, 5), 0) << "the bail-off let go";
    // A report coming back lights the digits, shown as the run summary's text, point included.
    oc.WriteData(oc.kHandle, displayReport(0x4F, 0xDB, 0x06));
    EXPECT_EQ(panel.display()->toolTip(), QStringLiteral("12.3"));
}

TEST_F(PanelTest, ButtonsAreMomentary) {
    QPushButton* b = panel.button(37);
    QTest::mousePress(b, Qt::LeftButton);
    EXPECT_TRUE(oc.button(37));
    QTest::mouseRelease(b, Qt::LeftButton);
    EXPECT_FALSE(oc.button(37));
}

} // namespace
} // namespace kordan
