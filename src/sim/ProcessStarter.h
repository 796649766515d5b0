#pragma once

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

private:
    IProcessStarter& m_starter;
};

} // namespace kordan
