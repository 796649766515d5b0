#include "app/Zusi3Session.h"

#include "send/ZusiSend.h"
#include "sim/zusi3/Zusi3Delivery.h"
#include "sim/zusi3/Zusi3Settings.h"

#include <charconv>
#include <utility>

namespace kordan {

Zusi3Session::Zusi3Session() = default;
Zusi3Session::~Zusi3Session() = default;

void Zusi3Session::offer(ITcpSocket& socket, std::optional<Zusi3Endpoint> forced,
                         std::string clientVersion) {
    m_socket = &socket;
    m_forced = std::move(forced);
    m_clientVersion = std::move(clientVersion);
}

bool Zusi3Session::start(ISettings& settings, ZusiSend& sender, std::function<void()> lost,
                         std::function<void(const std::string&)> note) {
    if (!m_socket)
        return false;
    std::optional<Zusi3Endpoint> endpoint = m_forced ? m_forced : storedZusi3Endpoint(settings);
    if (!endpoint)
        return false;
    m_connection = std::make_unique<Zusi3Connection>(*m_socket, *endpoint, m_clientVersion);
    m_delivery = std::make_unique<Zusi3Delivery>(*m_connection);
    m_delivery->setNote(std::move(note));
    sender.setChannel(m_delivery.get());
    m_connection->ConnectionLost = std::move(lost);
    m_connection->TrainTakenOver = [this] { m_takenOver = true; };
    return true;
}

void Zusi3Session::stop(ZusiSend* sender) {
    if (sender)
        sender->setChannel(nullptr);
    m_delivery.reset();
    m_connection.reset();
}

Zusi3Session::TrainNews Zusi3Session::poll(uint32_t nowMs) {
    if (!m_connection)
        return TrainNews::None;
    m_connection->poll(nowMs);
    m_delivery->poll(nowMs);
    const std::string lok = trainFileBaseName(m_connection->trainFile());
    if (lok.empty() || (lok == m_lok && !m_takenOver))
        return TrainNews::None;
    m_takenOver = false;
    m_lok = lok;
    return std::exchange(m_keepFirstTrain, false) ? TrainNews::First : TrainNews::Changed;
}

LedPresenter::ValueReader Zusi3Session::values() {
    return [this](const std::string& name) {
        if (!m_connection)
            return std::string();
        // Written with a decimal point whatever the locale, as the display reads it.
        char text[64];
        const double value = name == "km/h" ? m_connection->speedKmh() : m_connection->kilometre();
        auto end = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 3);
        return std::string(text, end.ec == std::errc() ? end.ptr : text);
    };
}

} // namespace kordan
