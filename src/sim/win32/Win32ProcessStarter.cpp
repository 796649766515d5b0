#include "sim/win32/Win32ProcessStarter.h"

#include "common/win32/WinText.h"

#include <windows.h>

namespace kordan {

namespace {

// Quotes one argument by the rules the C runtime's argument parser undoes: backslashes
// count only before a quote, where they are doubled, and the quote itself gets one.
void appendQuoted(std::string& out, const std::string& arg) {
    if (!arg.empty() && arg.find_first_of(" \t\n\v\"") == std::string::npos) {
        out += arg;
        return;
    }
    out += '"';
    size_t backslashes = 0;
    for (char c : arg) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        if (c == '"') {
            out.append(backslashes * 2 + 1, '\\');
        } else {
            out.append(backslashes, '\\');
        }
        backslashes = 0;
        out += c;
    }
    // Before the closing quote every backslash is doubled, or the last would escape it.
    out.append(backslashes * 2, '\\');
    out += '"';
}

class Win32ProcessStarter : public IProcessStarter {
public:
    Win32ProcessStarter() = default;
    Win32ProcessStarter(const Win32ProcessStarter&) = delete;
    Win32ProcessStarter& operator=(const Win32ProcessStarter&) = delete;
    ~Win32ProcessStarter() override { forgetLast(); }

    bool start(const std::string& program, const std::vector<std::string>& args) override {
        const HANDLE process = startMinimized(program, args);
        if (!process)
            return false;
        forgetLast();
        m_last = process; // kept to ask for its exit code
        return true;
    }

    std::optional<int> endedWith() override {
        DWORD code = 0;
        if (!m_last || !GetExitCodeProcess(m_last, &code) || code == STILL_ACTIVE)
            return std::nullopt;
        return static_cast<int>(code);
    }

private:
    void forgetLast() {
        if (m_last)
            CloseHandle(m_last);
        m_last = nullptr;
    }

    HANDLE m_last = nullptr;
};

} // namespace

std::string windowsCommandLine(const std::string& program, const std::vector<std::string>& args) {
    std::string line;
    // A program path cannot hold a quote, and the first word is taken up to the next
    // quote without any backslash rule, so it is simply enclosed.
    line += '"';
    line += program;
    line += '"';
    for (const std::string& arg : args) {
        line += ' ';
        appendQuoted(line, arg);
    }
    return line;
}

void* startMinimized(const std::string& program, const std::vector<std::string>& args) {
    std::wstring commandLine = toWide(windowsCommandLine(program, args));
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWMINIMIZED;
    PROCESS_INFORMATION process{};
    // No application name: only then does Windows add ".exe" to a program named without
    // it, as the editor is.
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return nullptr;
    CloseHandle(process.hThread);
    return process.hProcess;
}

std::unique_ptr<IProcessStarter> makeWin32ProcessStarter() {
    return std::make_unique<Win32ProcessStarter>();
}

} // namespace kordan
