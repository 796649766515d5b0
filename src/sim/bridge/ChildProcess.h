#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace kordan {

// A program running beside this one, spoken to through its standard input and output.
// Nothing here blocks longer than asked: a program that hangs or has died costs a caller
// at most the wait it passed. Used on one thread.
class IChildProcess {
public:
    // Ends the program: its input is closed so that it can finish what it was given, and
    // after a short grace it is killed (at once when it stopped taking its input).
    virtual ~IChildProcess() = default;

    // Queues `data` on the program's input; false when the program has ended or does not
    // take its input (the data may then be partly lost).
    virtual bool write(std::string_view data) = 0;

    // Appends what the program has written to `out`, waiting up to `waitMs` for the first
    // byte (0 = only what is there); false once its output has ended.
    virtual bool read(std::string& out, int waitMs) = 0;

    // The program is given up as hung: its end kills it at once, without the grace.
    virtual void giveUp() = 0;
};

// Starts the program afresh; null when it cannot be started.
using ChildStarter = std::function<std::unique_ptr<IChildProcess>()>;

} // namespace kordan
