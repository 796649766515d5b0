#include "sim/zusi3/Zusi3Delivery.h"

#include "send/CommandSender.h"
#include "send/ZusiSendKonstanten.h"
#include "sim/zusi3/Zusi3Connection.h"
#include "sim/zusi3/Zusi3Routes.h"

#include <algorithm>
#include <cstdint>

namespace kordan {

using zusi3::RouteKind;

ISimChannel::Route Zusi3Delivery::route(int32_t code) const {
    switch (zusi3::routeOf(code).kind) {
    case RouteKind::Input:
    case RouteKind::Control:
    case RouteKind::Composite:
        return Route::Input;
    case RouteKind::Key:
        return Route::Key;
    case RouteKind::NotAvailable:
        break;
    }
    return Route::NotAvailable;
}

bool Zusi3Delivery::connected() {
    return m_connection.connected();
}

void Zusi3Delivery::input(int32_t code, bool pressed) {
    for (const zusi3::Node& message : zusi3::messagesFor(code, pressed ? Down : Up))
        m_connection.send(message);
}

bool Zusi3Delivery::setNotch(int32_t regulatorCode, int32_t zoneNotch) {
    namespace K = ZusiSendKonstanten;
    const std::optional<LeverRange> range =
        regulatorCode == K::RegelbereichFahrschalter ? m_connection.fahrschalterRange()
        : regulatorCode == K::RegelbereichAfb        ? m_connection.afbRange()
                                                     : std::nullopt;
    if (!range || range->highest <= 0)
        return false;
    // The zone counts from the lever's neutral notch: a combined lever may have its braking
    // notches below it.
    const int64_t notch = std::clamp<int64_t>(int64_t(range->centre) + zoneNotch, 0,
                                              std::min<int64_t>(range->highest, INT16_MAX));
    auto message = zusi3::absoluteNotchMessage(regulatorCode, static_cast<int16_t>(notch));
    return message && m_connection.send(*message);
}

} // namespace kordan
