#pragma once

#include "send/CommandSender.h"
#include "send/SimWindow.h"

#include <cstdint>

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace kordan::test {

// A recording window system: windows are handles with titles, one of them (or none) is
// in the foreground, and every key message and keystroke string is kept in order.
class FakeSimWindow : public ISimWindow {
public:
    struct Event {
        enum Kind { Post, Type } kind;
        WindowHandle window = 0; // Post only
        uint32_t message = 0;    // Post only
        int32_t virtualKey = 0;  // Post only
        std::string keys;        // Type only
        bool operator==(const Event&) const = default;
    };
    // Creates (or retitles) a window.
    void addWindow(WindowHandle window, std::string title) { m_titles[window] = title; }
    void closeWindow(WindowHandle window) {
        m_titles.erase(window);
        if (m_foreground == window)
            m_foreground = 0;
    }
    void setForeground(WindowHandle window) { m_foreground = window; }
    WindowHandle foregroundWindow() override {
        ++foregroundQueries;
        return m_foreground;
    }
    std::string windowTitle(WindowHandle window) override {
        auto it = m_titles.find(window);
        return it == m_titles.end() ? std::string() : it->second.substr(0, 255);
    }
    void postKey(WindowHandle window, uint32_t message, int32_t virtualKey) override {
        events.push_back({Event::Post, window, message, virtualKey, {}});
    }
    void typeKeys(const std::string& keys) override {
        events.push_back({Event::Type, 0, 0, 0, keys});
    }
    bool keysNeedActiveWindow() const override { return needsActive; }
    std::vector<Event> events;
    int foregroundQueries = 0;
    bool needsActive = false;

private:
    std::map<WindowHandle, std::string> m_titles;
    WindowHandle m_foreground = 0;
};

// Records every delivery in order, as (command code, Befehl) pairs.
class RecordingSender : public ICommandSender {
public:
    using Call = std::pair<int32_t, int32_t>;
    void ZusiSend(int32_t f, int32_t b) override {
        calls.emplace_back(f, b);
        zones.push_back(zone);
    }
    void fromZone(int32_t z) override { zone = z; }
    // The calls since the last take(), which are then forgotten.
    std::vector<Call> take() { return std::exchange(calls, {}); }
    std::vector<Call> calls;
    int32_t zone = 0;
    std::vector<int32_t> zones; // the zone each call came from, 0 for none
};

} // namespace kordan::test
