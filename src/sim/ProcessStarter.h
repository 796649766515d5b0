#pragma once

#include <optional>
#include <string>
#include <vector>

namespace kordan {

// Starts another program beside this one. The program and each argument are passed on as
// they are, never through a shell, so no text in them (blanks, quotes, ";") can run a
// command. The call does not wait for the program; where the platform can, its window
// starts minimized and gets the focus. Used on the UI thread.
class IProcessStarter {
public:
    virtual ~IProcessStarter() = default;

    // True when the program was started. A program that cannot be found gives false and
    // nothing else happens.
    virtual bool start(const std::string& program, const std::vector<std::string>& args) = 0;

    // The exit code of the program last started, once it has ended; nothing while it runs,
    // before any start, or where the platform cannot tell. The main loop asks for a few
    // seconds after a start, so a program that gives up at once (a Windows program missing
    // under Wine) is told from one that runs. Never waits.
    virtual std::optional<int> endedWith() { return std::nullopt; }
};

// Starts Windows programs through Wine: the program "wine" with the Windows program's path
// as its first argument, followed by the arguments as they are. Wine resolves the Windows
// paths itself, so they stay Windows paths here.
class WineProcessStarter : public IProcessStarter {
public:
    explicit WineProcessStarter(IProcessStarter& starter) : m_starter(starter) {}

    bool start(const std::string& program, const std::vector<std::string>& args) override {
        std::vector<std::string> wineArgs;
        wineArgs.reserve(args.size() + 1);
        wineArgs.push_back(program);
        wineArgs.insert(wineArgs.end(), args.begin(), args.end());
        return m_starter.start("wine", wineArgs);
    }
    // Wine gives up with a code of its own when the Windows program is missing.
    std::optional<int> endedWith() override { return m_starter.endedWith(); }

private:
    IProcessStarter& m_starter;
};

} // namespace kordan
