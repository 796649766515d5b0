// A stand-in controller library with the five calls, for the loader's tests. Device i
// (from 0) is product 210 on usage page 12 with usage i + 1 and handle 100 + i, except
// device 1, which is another product; KORDAN_TEST_DEVICES tells how many there are (2).
// A report tells the handle it came from and begins with what was last written to it.
#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {
int32_t g_openHandle = 0, g_lastWriteHandle = 0;
uint8_t g_lastWrite[8] = {};
} // namespace

extern "C" {

__declspec(dllexport) int32_t __stdcall EnumeratePIE(int32_t vid, int32_t* info, int32_t* count) {
    char devices[8] = "2";
    GetEnvironmentVariableA("KORDAN_TEST_DEVICES", devices, sizeof devices);
    *count = vid == 0x05F3 ? std::atoi(devices) : 0;
    for (int32_t i = 0; i < *count; ++i) {
        const int32_t device[4] = {i == 1 ? 0xD1 : 210, i + 1, 12, 100 + i};
        std::memcpy(info + 4 * i, device, sizeof device);
    }
    return 0;
}

__declspec(dllexport) int32_t __stdcall SetupInterface(int32_t handle) {
    return g_openHandle = handle, 0;
}

// A report 20 bytes long: five more than the program's, as another model's might be.
__declspec(dllexport) int32_t __stdcall ReadData(int32_t handle, uint8_t* buffer) {
    if (handle == 0 || handle != g_openHandle)
        return 304;
    for (int i = 0; i < 20; ++i)
        buffer[i] = static_cast<uint8_t>(handle + i);
    if (handle == g_lastWriteHandle)
        std::memcpy(buffer, g_lastWrite, sizeof g_lastWrite);
    return 0;
}

__declspec(dllexport) int32_t __stdcall WriteData(int32_t handle, uint8_t* buffer) {
    g_lastWriteHandle = handle;
    std::memcpy(g_lastWrite, buffer, sizeof g_lastWrite);
    buffer[1] = 0xFF; // a library may scribble on what it is given
    return 0;
}

__declspec(dllexport) int32_t __stdcall CloseInterface(int32_t handle) {
    return g_openHandle = handle == g_openHandle ? 0 : g_openHandle, 0;
}
}
