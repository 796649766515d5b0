#include "fakes/FakeSimWindow.h"

namespace kordan::test {

void FakeSimWindow::closeWindow(WindowHandle window) {
    m_titles.erase(window);
    if (m_foreground == window)
        m_foreground = 0;
}

WindowHandle FakeSimWindow::foregroundWindow() {
    ++foregroundQueries;
    return m_foreground;
}

std::string FakeSimWindow::windowTitle(WindowHandle window) {
    auto it = m_titles.find(window);
    if (it == m_titles.end())
        return {};
    return it->second.substr(0, 255);
}

void FakeSimWindow::postKey(WindowHandle window, uint32_t message, int32_t virtualKey) {
    events.push_back(post(window, message, virtualKey));
}

void FakeSimWindow::typeKeys(const std::string& keys) {
    events.push_back(type(keys));
}

} // namespace kordan::test
