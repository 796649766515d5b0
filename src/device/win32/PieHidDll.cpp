#include "device/win32/PieHidDll.h"

#include "common/win32/WinText.h"

#if defined(KORDAN_HAVE_HIDAPI)
#include "device/hidapi/HidapiPieHid.h"
#endif

#include <windows.h>

#include <algorithm>
#include <array>
#include <cstring>

namespace kordan {

namespace {

// The library's calls take and return 32-bit integers and buffer addresses, callee
// cleaning the stack (__stdcall) as a 32-bit library callable from anywhere must; a
// 64-bit build has only the one convention and the keyword is ignored there.
using EnumeratePIEFn = int32_t(__stdcall*)(int32_t vid, int32_t* info, int32_t* count);
using HandleFn = int32_t(__stdcall*)(int32_t handle);
using BufferFn = int32_t(__stdcall*)(int32_t handle, uint8_t* buffer);

// The library describes as many devices as it finds, four entries each; it is handed
// far more room than the 25 the program lists, so a crowded bus cannot make it write
// past the table.
constexpr size_t kScratchDevices = 256;
// Input reports may come longer from a library built for another controller; the
// program reads the first 15 bytes.
constexpr size_t kScratchReport = 256;

template <typename Fn> Fn findCall(HMODULE module, const char* name, int argumentBytes) {
    FARPROC call = GetProcAddress(module, name);
    if (!call) {
        // A 32-bit library may export the decorated name only.
        const std::string decorated = "_" + std::string(name) + "@" + std::to_string(argumentBytes);
        call = GetProcAddress(module, decorated.c_str());
    }
    // Through the generic function pointer type, as casts between function types go.
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(call));
}

class PieHidDll : public IPieHid {
public:
    explicit PieHidDll(HMODULE module) : m_module(module) {}
    ~PieHidDll() override { FreeLibrary(m_module); }
    PieHidDll(const PieHidDll&) = delete;
    PieHidDll& operator=(const PieHidDll&) = delete;

    bool bind() {
        m_enumerate = findCall<EnumeratePIEFn>(m_module, "EnumeratePIE", 12);
        m_setup = findCall<HandleFn>(m_module, "SetupInterface", 4);
        m_read = findCall<BufferFn>(m_module, "ReadData", 8);
        m_write = findCall<BufferFn>(m_module, "WriteData", 8);
        m_close = findCall<HandleFn>(m_module, "CloseInterface", 4);
        return m_enumerate && m_setup && m_read && m_write && m_close;
    }

    int32_t EnumeratePIE(int32_t vid, DeviceInfoTable& info, int32_t& count) override {
        std::array<int32_t, kScratchDevices * 4 + 1> scratch{};
        int32_t found = 0;
        const int32_t result = m_enumerate(vid, scratch.data(), &found);
        count = std::clamp<int32_t>(found, 0, kMaxDevices);
        std::copy_n(scratch.begin(), info.size(), info.begin());
        return result;
    }

    int32_t SetupInterface(int32_t handle) override { return m_setup(handle); }

    int32_t ReadData(int32_t handle, InputReport& report) override {
        std::array<uint8_t, kScratchReport> scratch{};
        const int32_t result = m_read(handle, scratch.data());
        if (result == 0)
            std::copy_n(scratch.begin(), report.size(), report.begin());
        return result;
    }

    int32_t WriteData(int32_t handle, const OutputReport& report) override {
        // The library takes a writable pointer; it gets a copy, so ours stays untouched.
        OutputReport copy = report;
        return m_write(handle, copy.data());
    }

    void CloseInterface(int32_t handle) override { m_close(handle); }

private:
    HMODULE m_module;
    EnumeratePIEFn m_enumerate = nullptr;
    HandleFn m_setup = nullptr;
    BufferFn m_read = nullptr;
    BufferFn m_write = nullptr;
    HandleFn m_close = nullptr;
};

// No library and no other way to the controller: the list stays empty.
class NoController : public IPieHid {
public:
    int32_t EnumeratePIE(int32_t, DeviceInfoTable& info, int32_t& count) override {
        info.fill(0);
        count = 0;
        return 0;
    }
    int32_t SetupInterface(int32_t) override { return -1; }
    int32_t ReadData(int32_t, InputReport&) override { return -1; }
    int32_t WriteData(int32_t, const OutputReport&) override { return -1; }
    void CloseInterface(int32_t) override {}
};

} // namespace

std::unique_ptr<IPieHid> loadPieHidDll(const std::string& path) {
    // No "cannot find" box from the system when the library is absent.
    const UINT previousMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    HMODULE module = LoadLibraryW(toWide(path).c_str());
    SetErrorMode(previousMode);
    if (!module)
        return nullptr;
    auto dll = std::make_unique<PieHidDll>(module);
    if (!dll->bind())
        return nullptr;
    return dll;
}

std::unique_ptr<IPieHid> createWin32PieHid(const std::string& dllName) {
    if (auto dll = loadPieHidDll(dllName))
        return dll;
#if defined(KORDAN_HAVE_HIDAPI)
    return createHidapiPieHid();
#else
    return std::make_unique<NoController>();
#endif
}

} // namespace kordan
