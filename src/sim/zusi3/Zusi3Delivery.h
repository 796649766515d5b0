#pragma once

#include "send/SimChannel.h"
#include "sim/zusi3/Zusi3LeverControl.h"

#include <functional>
#include <string>

namespace kordan {

class Zusi3Connection;

// The simulator's TCP interface as the delivery's channel: the lever commands are carried out
// by the lever control against the simulator's reports; every other command goes by its
// route (an input, a program control, a key to the window of a simulator on this computer,
// or nothing).
class Zusi3Delivery : public ISimChannel {
public:
    explicit Zusi3Delivery(Zusi3Connection& connection);

    Route route(int32_t code) const override;
    bool connected() override;
    void input(int32_t code, bool pressed) override;
    bool setNotch(int32_t regulatorCode, int32_t zoneNotch, int32_t zoneNotches) override;

    // Once per loop pass, after the connection's poll: checks the levers against what the
    // simulator reported. `nowMs` is the loop's clock, as the connection's.
    void poll(uint32_t nowMs);
    // Where the lever control tells what it learnt or could not do (a command-log line).
    void setNote(std::function<void(const std::string&)> note) {
        m_levers.setNote(std::move(note));
    }

private:
    Zusi3Connection& m_connection;
    zusi3::LeverControl m_levers;
    uint32_t m_now = 0;
    // Keys reach the simulator's window only on this computer.
    bool m_local = false;
};

// True for a name of this computer: "localhost", 127.0.0.0/8, "::1".
bool isLocalHost(const std::string& host);

} // namespace kordan
