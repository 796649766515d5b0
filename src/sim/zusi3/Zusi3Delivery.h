#pragma once

#include "send/SimChannel.h"

namespace kordan {

class Zusi3Connection;

// The simulator's TCP interface as the delivery's channel: each command goes by its route
// (an input, the pause control, a key, or nothing), and the power controller's and the AFB's
// regulator zones set their lever to an absolute notch once its range is known.
class Zusi3Delivery : public ISimChannel {
public:
    explicit Zusi3Delivery(Zusi3Connection& connection) : m_connection(connection) {}

    Route route(int32_t code) const override;
    bool connected() override;
    void input(int32_t code, bool pressed) override;
    bool setNotch(int32_t regulatorCode, int32_t zoneNotch) override;

private:
    Zusi3Connection& m_connection;
};

} // namespace kordan
