#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace kordan::test {

// True under Wine, where the tests run in a throwaway prefix; on Windows the tests stay
// away from anything a real user keeps.
bool runningUnderWine();

// The directory of the test program (UTF-8), where the test libraries are built.
std::string testProgramDirectory();

// A key message as the window procedure saw it.
struct ReceivedKey {
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    bool operator==(const ReceivedKey&) const = default;
};

// A visible top-level window of this thread that records every key message it gets.
class RecordingWindow {
public:
    explicit RecordingWindow(const char* title);
    ~RecordingWindow();
    RecordingWindow(const RecordingWindow&) = delete;
    RecordingWindow& operator=(const RecordingWindow&) = delete;

    HWND hwnd() const { return m_hwnd; }
    // Tries to make the window the foreground window; true when it is.
    bool bringToFront();
    // Handles the messages waiting for this thread, so the posted ones arrive.
    void pump();
    // Handles messages until `count` keys have arrived or `timeoutMs` has passed.
    void pumpUntil(size_t count, DWORD timeoutMs);

    std::vector<ReceivedKey> keys;

private:
    static LRESULT CALLBACK procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    HWND m_hwnd = nullptr;
};

} // namespace kordan::test
