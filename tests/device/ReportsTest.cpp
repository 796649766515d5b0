#include "device/Reports.h"
#include "device/VirtualController.h"

#include "fakes/FakeHid.h"

#include <gtest/gtest.h>

using namespace kordan;

TEST(Reports, ButtonBitsAndOutputReportBytes) {
    // Buttons 1, 16 and 41-44; the upper nibble of the last byte is no button.
    const InputReport r{0, 0, 0, 0, 0, 0, 0, 0, 0x01, 0x80, 0, 0, 0, 0xFF};
    for (int k = 1; k <= 44; ++k)
        EXPECT_EQ(buttonPressed(r, k), k == 1 || k == 16 || k >= 41) << k;
    // The display's bytes are the hidapi test's.
    EXPECT_EQ(speakerReport(true), (OutputReport{0, 133, 0, 0, 0, 0, 0, 1}));
    EXPECT_EQ(speakerReport(false), (OutputReport{0, 133}));
}

TEST(VirtualController, ListsOneReportsChangesOnlyAndCombinesByHandle) {
    VirtualController v;
    DeviceInfoTable info{};
    int32_t count = -1;
    EXPECT_EQ(v.EnumeratePIE(kVendorId, info, count), 0);
    EXPECT_EQ(count, 1);
    EXPECT_EQ(std::tuple(info[0], info[2]), std::tuple(210, 12)) << "product and usage page";
    int32_t h = info[3];
    InputReport r{};
    EXPECT_NE(v.ReadData(h, r), 0) << "nothing before the device is opened";
    v.SetupInterface(h); // the first read delivers the present state
    EXPECT_EQ(v.ReadData(h, r), 0);
    EXPECT_NE(v.ReadData(h, r), 0) << "then nothing until a change";
    v.setLever(2, 200);
    v.setButton(44, true);
    EXPECT_EQ(v.ReadData(h, r), 0);
    EXPECT_EQ(r[2], 200);
    EXPECT_EQ(r[13], 0x08);
    v.setLever(2, 200); // unchanged
    EXPECT_NE(v.ReadData(h, r), 0);
    v.setLever(7, 9); // the last lever and button; none beyond
    EXPECT_EQ(v.lever(7), 9);
    EXPECT_TRUE(v.button(44));
    EXPECT_THROW(v.setLever(8, 1), std::out_of_range);
    EXPECT_THROW(v.lever(0), std::out_of_range);
    EXPECT_THROW(v.setButton(45, true), std::out_of_range);
    EXPECT_THROW(v.button(0), std::out_of_range);
    v.CloseInterface(h); // closed: read nothing, even after a change
    EXPECT_FALSE(v.isOpen());
    EXPECT_EQ(v.status(h), DeviceStatus::Present) << "closed, not gone";
    v.setLever(1, 1);
    EXPECT_NE(v.ReadData(h, r), 0);
    // Two of them combined: each keeps its own handle.
    VirtualController a, b;
    CombinedPieHid both({&a, &b});
    EXPECT_EQ(both.EnumeratePIE(kVendorId, info, count), 0);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(info[3], 1);
    EXPECT_EQ(info[7], 2);
    both.SetupInterface(2);
    both.WriteData(2, speakerReport(true));
    EXPECT_FALSE(a.isOpen());
    EXPECT_TRUE(b.isOpen());
    EXPECT_TRUE(b.speakerOn());
    EXPECT_NE(both.ReadData(7, r), 0);
    EXPECT_FALSE(both.waitForReport(7, 10)); // nothing to wait on: the caller sleeps
    // Pulled out: not listed, not openable, gone; back: the same handle, to be reopened.
    a.setPlugged(false);
    EXPECT_EQ(both.EnumeratePIE(kVendorId, info, count), 0);
    EXPECT_EQ(count, 1);
    EXPECT_EQ(info[3], 2);
    EXPECT_EQ(both.status(1), DeviceStatus::Gone);
    EXPECT_EQ(both.status(2), DeviceStatus::Present);
    EXPECT_NE(both.SetupInterface(1), 0);
    a.setPlugged(true);
    EXPECT_EQ(both.EnumeratePIE(kVendorId, info, count), 0);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(info[3], 1);
    EXPECT_FALSE(a.isOpen());
    // A library that cannot list is passed over; only when every one fails does the listing.
    test::FakeHid failing, two;
    failing.enumResult = 1;
    two.devices = {{210, 4, 12, 5}, {210, 4, 12, 9}};
    CombinedPieHid mixed({&failing, &two});
    EXPECT_EQ(mixed.EnumeratePIE(kVendorId, info, count), 0);
    EXPECT_EQ(count, 2);
    mixed.SetupInterface(info[7]);
    EXPECT_EQ(two.calls, std::vector<std::string>{"setup 9"});
    two.devices.pop_back(); // a library that cannot follow plugging is listed once
    EXPECT_EQ(mixed.EnumeratePIE(kVendorId, info, count), 0);
    EXPECT_EQ(count, 2);
    CombinedPieHid none({&failing});
    EXPECT_EQ(none.EnumeratePIE(kVendorId, info, count), 1);
}
