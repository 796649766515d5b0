// kordan-bridge.exe: runs inside the simulator's Wine prefix and makes the Windows calls the
// program makes on Windows (foreground window, posted key messages, typed keys, registry,
// process start) on behalf of the program on Linux, which talks to it over standard input
// and output with the line protocol of sim/bridge/BridgeProtocol.h.
#include "send/win32/Win32SimWindow.h"
#include "sim/bridge/BridgeProtocol.h"
#include "sim/bridge/BridgeServer.h"
#include "sim/win32/Win32ProcessStarter.h"
#include "sim/win32/Win32Registry.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

namespace {

// A program that ends within this time after its start has most likely failed (a wrong
// path, a missing file) and is reported.
constexpr DWORD kEarlyExitMs = 10000;

CRITICAL_SECTION g_output;

// Whole lines only, from the main thread and the start watchers alike.
void writeOut(const std::string& text) {
    EnterCriticalSection(&g_output);
    const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD written = 0;
    for (size_t done = 0; done < text.size(); done += written)
        if (!WriteFile(out, text.data() + done, static_cast<DWORD>(text.size() - done), &written,
                       nullptr) ||
            written == 0)
            break;
    LeaveCriticalSection(&g_output);
}

struct Watch {
    HANDLE process;
    unsigned request;
};

DWORD WINAPI watchStart(void* param) {
    Watch* watch = static_cast<Watch*>(param);
    DWORD code = 0;
    if (WaitForSingleObject(watch->process, kEarlyExitMs) == WAIT_OBJECT_0 &&
        GetExitCodeProcess(watch->process, &code))
        writeOut(kordan::bridge::joinLine(
            {std::to_string(watch->request), "exit", std::to_string(code)}));
    CloseHandle(watch->process);
    delete watch;
    return 0;
}

// As the program's own starter on Windows, watching the process for an early end.
bool startWatched(unsigned request, const std::string& program,
                  const std::vector<std::string>& args) {
    const HANDLE process = kordan::startMinimized(program, args);
    if (!process)
        return false;
    auto* watch = new Watch{process, request};
    const HANDLE thread = CreateThread(nullptr, 0, watchStart, watch, 0, nullptr);
    if (thread) {
        CloseHandle(thread);
    } else {
        CloseHandle(process);
        delete watch;
    }
    return true;
}

// For the benchmark: with KORDAN_BRIDGE_TIMES=PATH set, every key message is written to
// PATH.read with the time its line was read and to PATH.posted with the time it was posted,
// as "down VK NS" / "up VK NS" (QueryPerformanceCounter, under Wine Linux's
// CLOCK_MONOTONIC_RAW in units of 100 ns, written in nanoseconds).
class TimedWindow : public kordan::ISimWindow {
public:
    TimedWindow(kordan::ISimWindow& inner, FILE* read, FILE* posted)
        : m_in(inner), m_read(read), m_posted(posted) {}
    kordan::WindowHandle foregroundWindow() override { return m_in.foregroundWindow(); }
    std::string windowTitle(kordan::WindowHandle w) override { return m_in.windowTitle(w); }
    void typeKeys(const std::string& keys) override { m_in.typeKeys(keys); }
    void postKey(kordan::WindowHandle w, uint32_t message, int32_t key) override {
        m_in.postKey(w, message, key);
        log(m_posted, message, key, now());
        log(m_read, message, key, readAt);
    }
    static long long now() {
        LARGE_INTEGER t{};
        QueryPerformanceCounter(&t);
        return t.QuadPart * 100;
    }
    long long readAt = 0;

private:
    static void log(FILE* file, uint32_t message, int32_t key, long long ns) {
        std::fprintf(file, "%s %d %lld\n", message == WM_KEYDOWN ? "down" : "up", key, ns);
        std::fflush(file);
    }
    kordan::ISimWindow& m_in;
    FILE* m_read;
    FILE* m_posted;
};

} // namespace

int main() {
    InitializeCriticalSection(&g_output);
    auto window = kordan::makeWin32SimWindow();
    std::unique_ptr<TimedWindow> timed;
    if (const char* times = std::getenv("KORDAN_BRIDGE_TIMES")) {
        FILE* read = std::fopen((std::string(times) + ".read").c_str(), "wb");
        FILE* posted = std::fopen((std::string(times) + ".posted").c_str(), "wb");
        if (read && posted)
            timed = std::make_unique<TimedWindow>(*window, read, posted);
    }
    auto registry = kordan::makeWin32Registry();
    kordan::BridgeServer server({timed ? static_cast<kordan::ISimWindow&>(*timed) : *window,
                                 kordan::win32WindowExists, *registry, startWatched});
    // Every key waits for this thread to be woken, and on a busy machine (the simulator's
    // own load) a raised priority gets it a core sooner. Where Wine may not raise it (no
    // right to a lower nice value) the calls fail and nothing changes. The programs it
    // starts get the normal class all the same.
    SetPriorityClass(GetCurrentProcess(), HIGH_PRIORITY_CLASS);
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL);
    // A blocking read: the thread sleeps until the program writes, with no timeout or poll.
    const HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
    std::string pending;
    char buffer[4096];
    DWORD got = 0;
    while (!server.quitting() && ReadFile(in, buffer, sizeof buffer, &got, nullptr) && got > 0) {
        if (timed)
            timed->readAt = TimedWindow::now();
        pending.append(buffer, got);
        size_t from = 0;
        for (size_t end;
             !server.quitting() && (end = pending.find('\n', from)) != std::string::npos;
             from = end + 1) {
            const std::string answer =
                server.handle(std::string_view(pending).substr(from, end - from));
            if (!answer.empty())
                writeOut(answer);
        }
        pending.erase(0, from);
    }
    return 0;
}
