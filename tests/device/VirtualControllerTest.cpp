#include "device/VirtualController.h"

#include "device/Reports.h"

#include <gtest/gtest.h>

using namespace kordan;

TEST(VirtualController, ListsOneKordanAndReportsChangesOnly) {
    VirtualController v;
    DeviceInfoTable info{};
    int32_t count = -1;
    ASSERT_EQ(v.EnumeratePIE(kVendorId, info, count), 0);
    ASSERT_EQ(count, 1);
    EXPECT_EQ(info[0], 210);
    EXPECT_EQ(info[2], 12);
    int32_t h = info[3];
    InputReport r{};
    EXPECT_NE(v.ReadData(h, r), 0) << "nothing before the device is opened";
    v.SetupInterface(h);
    EXPECT_EQ(v.ReadData(h, r), 0) << "the present state after opening";
    EXPECT_NE(v.ReadData(h, r), 0);
    v.setLever(2, 200);
    v.setButton(44, true);
    ASSERT_EQ(v.ReadData(h, r), 0);
    EXPECT_EQ(r[2], 200);
    EXPECT_TRUE(buttonPressed(r, 44));
    EXPECT_EQ(r[13], 0x08);
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
    ASSERT_EQ(count, 2);
    EXPECT_EQ(info[3], 1);
    EXPECT_EQ(info[7], 2);
    both.SetupInterface(2);
    EXPECT_FALSE(a.isOpen());
    EXPECT_TRUE(b.isOpen());
    both.WriteData(2, speakerReport(true));
    EXPECT_TRUE(b.speakerOn());
    InputReport r{};
    EXPECT_NE(both.ReadData(7, r), 0) << "unknown handle";
}
