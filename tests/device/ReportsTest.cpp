#include "device/Reports.h"
#include "device/VirtualController.h"

#include <gtest/gtest.h>

using namespace kordan;

TEST(Reports, ButtonBitsAndOutputReportBytes) {
    InputReport r{};
    r[8] = 0x01;  // button 1
    r[9] = 0x80;  // button 16
    r[13] = 0xFF; // buttons 41-44, the upper nibble is no button
    for (int k = 1; k <= 44; ++k)
        EXPECT_EQ(buttonPressed(r, k), k == 1 || k == 16 || k >= 41) << k;
    EXPECT_EQ(
        (std::array{displayReport(0x06, 0x5B, 0x4F), speakerReport(true), speakerReport(false)}),
        (std::array{OutputReport{0, 134, 0x06, 0x5B, 0x4F, 0, 0, 0},
                    OutputReport{0, 133, 0, 0, 0, 0, 0, 1}, OutputReport{0, 133}}));
}

TEST(VirtualController, ListsOneKordanAndReportsChangesOnly) {
    VirtualController v;
    DeviceInfoTable info{};
    int32_t count = -1;
    ASSERT_EQ(v.EnumeratePIE(kVendorId, info, count), 0);
    EXPECT_EQ(std::tuple(count, info[0], info[2]), std::tuple(1, 210, 12));
    int32_t h = info[3];
    InputReport r{};
    EXPECT_NE(v.ReadData(h, r), 0) << "nothing before the device is opened";
    v.SetupInterface(h);
    EXPECT_EQ(v.ReadData(h, r), 0) << "the present state after opening";
    EXPECT_NE(v.ReadData(h, r), 0);
    v.setLever(2, 200);
    v.setButton(44, true);
    ASSERT_EQ(v.ReadData(h, r), 0);
    EXPECT_TRUE(r[2] == 200 && r[13] == 0x08);
    v.setLever(2, 200); // unchanged
    EXPECT_NE(v.ReadData(h, r), 0);
    EXPECT_THROW(v.setLever(8, 1), std::out_of_range);
    EXPECT_THROW(v.setButton(45, true), std::out_of_range);
}

TEST(VirtualController, CombinedLibraryRoutesHandles) {
    VirtualController a, b;
    CombinedPieHid both({&a, &b});
    DeviceInfoTable info{};
    int32_t count = 0;
    ASSERT_EQ(both.EnumeratePIE(kVendorId, info, count), 0);
    EXPECT_TRUE(count == 2 && info[3] == 1 && info[7] == 2);
    both.SetupInterface(2);
    both.WriteData(2, speakerReport(true));
    EXPECT_TRUE(!a.isOpen() && b.isOpen() && b.speakerOn());
    InputReport r{};
    EXPECT_NE(both.ReadData(7, r), 0) << "unknown handle";
    // Pulled out: not listed, not openable, gone; back: the same handle, to be reopened.
    a.setPlugged(false);
    ASSERT_EQ(both.EnumeratePIE(kVendorId, info, count), 0);
    EXPECT_TRUE(count == 1 && info[3] == 2) << "the other keeps its handle";
    EXPECT_TRUE(both.status(1) == DeviceStatus::Gone && both.status(2) == DeviceStatus::Present);
    EXPECT_NE(both.SetupInterface(1), 0);
    a.setPlugged(true);
    ASSERT_EQ(both.EnumeratePIE(kVendorId, info, count), 0);
    EXPECT_TRUE(count == 2 && info[3] == 1 && !a.isOpen());
}
