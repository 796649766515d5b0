#include "sim/zusi3/Zusi3Delivery.h"

#include "send/CommandSender.h"
#include "send/ZusiSendKonstanten.h"
#include "sim/zusi3/Zusi3Connection.h"
#include "sim/zusi3/Zusi3Routes.h"

namespace kordan {

using zusi3::RouteKind;

bool isLocalHost(const std::string& host) {
    return host == "localhost" || host == "::1" || host == "[::1]" || host.starts_with("127.");
}

Zusi3Delivery::Zusi3Delivery(Zusi3Connection& connection)
    : m_connection(connection),
      m_levers(
          connection.levers(), [&connection](const zusi3::Node& m) { return connection.send(m); },
          [&connection] { return connection.breakerOn(); }),
      m_local(isLocalHost(connection.endpoint().host)) {}

ISimChannel::Route Zusi3Delivery::route(int32_t code) const {
    switch (zusi3::routeOf(code).kind) {
    case RouteKind::Input:
    case RouteKind::Control:
    case RouteKind::Composite:
        return Route::Input;
    case RouteKind::Key:
        return m_local ? Route::Key : Route::NotAvailable;
    case RouteKind::NotAvailable:
        break;
    }
    return Route::NotAvailable;
}

bool Zusi3Delivery::connected() {
    return m_connection.connected();
}

void Zusi3Delivery::input(int32_t code, bool pressed) {
    if (m_levers.input(code, pressed, m_now))
        return;
    for (const zusi3::Node& message : zusi3::messagesFor(code, pressed ? Down : Up))
        m_connection.send(message);
}

bool Zusi3Delivery::setNotch(int32_t regulatorCode, int32_t zoneNotch, int32_t zoneNotches) {
    namespace K = ZusiSendKonstanten;
    if (regulatorCode == K::RegelbereichFahrschalter)
        return m_levers.setPower(zoneNotch, zoneNotches, m_now);
    if (regulatorCode == K::RegelbereichAfb)
        return m_levers.setAfb(zoneNotch, m_now);
    return false; // the brakes step: their direction is checked report by report
}

void Zusi3Delivery::poll(uint32_t nowMs) {
    m_now = nowMs;
    if (m_connection.connected())
        m_levers.poll(nowMs);
}

} // namespace kordan
