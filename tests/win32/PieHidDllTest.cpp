#include "device/win32/PieHidDll.h"

#include "WinTestSupport.h"

#include <gtest/gtest.h>

namespace kordan {
namespace {

std::string libraryPath(const char* name) {
    return test::testProgramDirectory() + "\\" + name;
}

// Reaches into the stand-in library for what it was given.
template <typename Fn> Fn testCall(const char* name) {
    HMODULE module = GetModuleHandleA("PieHid.dll");
    FARPROC call = module ? GetProcAddress(module, name) : nullptr;
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(call));
}

TEST(PieHidDll, TheFiveCallsReachTheLibrary) {
    auto hid = loadPieHidDll(libraryPath("PieHid.dll"));
    ASSERT_NE(hid, nullptr);
    auto setCount = testCall<void(__stdcall*)(int32_t)>("TestSetDeviceCount");
    auto lastWrite = testCall<int32_t(__stdcall*)(uint8_t*)>("TestLastWrite");
    auto lastClosed = testCall<int32_t(__stdcall*)()>("TestLastClosed");
    ASSERT_TRUE(setCount && lastWrite && lastClosed);
    setCount(2);

    DeviceInfoTable info{};
    int32_t count = -1;
    ASSERT_EQ(hid->EnumeratePIE(kVendorId, info, count), 0);
    ASSERT_EQ(count, 2);
    EXPECT_EQ(info[0], kKordanProductId);
    EXPECT_EQ(info[1], 1);
    EXPECT_EQ(info[2], kKordanUsagePage);
    EXPECT_EQ(info[3], 100);
    EXPECT_EQ(info[4], 0xD1);
    EXPECT_EQ(info[7], 101);

    InputReport report{};
    EXPECT_NE(hid->ReadData(100, report), 0); // not set up yet
    EXPECT_EQ(report, InputReport{});
    hid->SetupInterface(100);
    ASSERT_EQ(hid->ReadData(100, report), 0);
    for (size_t i = 0; i < report.size(); ++i)
        EXPECT_EQ(report[i], static_cast<uint8_t>(100 + i)) << i;

    const OutputReport speaker{0, 133, 0, 0, 0, 0, 0, 1};
    EXPECT_EQ(hid->WriteData(100, speaker), 0);
    std::array<uint8_t, 8> seen{};
    EXPECT_EQ(lastWrite(seen.data()), 100);
    EXPECT_EQ(seen, speaker);

    hid->CloseInterface(100);
    EXPECT_EQ(lastClosed(), 100);
    EXPECT_NE(hid->ReadData(100, report), 0);
}

TEST(PieHidDll, CrowdedBusIsCutToTheTableWithoutOverrun) {
    auto hid = loadPieHidDll(libraryPath("PieHid.dll"));
    ASSERT_NE(hid, nullptr);
    auto setCount = testCall<void(__stdcall*)(int32_t)>("TestSetDeviceCount");
    ASSERT_TRUE(setCount);
    setCount(40);
    DeviceInfoTable info{};
    int32_t count = 0;
    EXPECT_EQ(hid->EnumeratePIE(kVendorId, info, count), 0);
    setCount(2);
    EXPECT_EQ(count, kMaxDevices);
    EXPECT_EQ(info[4 * 24 + 3], 124); // the last device that fits
}

TEST(PieHidDll, MissingLibraryOrCallGivesNothingAndNoCrash) {
    EXPECT_EQ(loadPieHidDll(libraryPath("NoSuchPieHid.dll")), nullptr);
    EXPECT_EQ(loadPieHidDll(libraryPath("PieHidNoClose.dll")), nullptr);

    for (const char* name : {"NoSuchPieHid.dll", "PieHidNoClose.dll"}) {
        auto hid = createWin32PieHid(libraryPath(name));
        ASSERT_NE(hid, nullptr) << name;
        DeviceInfoTable info{};
        info.fill(7);
        int32_t count = 3;
        EXPECT_EQ(hid->EnumeratePIE(kVendorId, info, count), 0) << name;
        EXPECT_EQ(count, 0) << name;
        InputReport report{};
        EXPECT_NE(hid->ReadData(1, report), 0) << name;
    }
}

TEST(PieHidDll, FoundByBareNameBesideTheProgram) {
    auto hid = createWin32PieHid("PieHid.dll");
    DeviceInfoTable info{};
    int32_t count = 0;
    ASSERT_EQ(hid->EnumeratePIE(kVendorId, info, count), 0);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(info[3], 100);
}

} // namespace
} // namespace kordan
