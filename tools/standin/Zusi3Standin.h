#pragma once

#include "Train.h"

#include "sim/zusi3/Zusi3Codec.h"

#include <functional>
#include <string>

// The simulator's side of its TCP interface, over bytes: answers a cab controller's
// handshake, reports the train, its notch ranges, speed and kilometre, and applies the
// inputs it receives to the train. The socket is the caller's (see Zusi3Serve.h).
namespace standin {

class Zusi3Standin {
public:
    // `log` gets one line per event: "hello TYPE NAME", "needed ID...", "input ZUORDNUNG
    // KOMMANDO AKTION POSITION", "control pause".
    Zusi3Standin(Train& train, std::function<void(const std::string&)> log);

    // Bytes from the client. False when the stream is broken: the client is to be dropped.
    bool receive(const uint8_t* data, size_t size);
    // Lets `seconds` pass; once subscribed, the train's speed and kilometre go out.
    void tick(double seconds);
    // What is to be sent now; taken out.
    kordan::zusi3::Bytes takeOutput();

private:
    void handle(const kordan::zusi3::Node& message);
    void input(const kordan::zusi3::Node& key);
    void sendTrain();
    void send(const kordan::zusi3::Node& message);

    Train& m_train;
    std::function<void(const std::string&)> m_log;
    kordan::zusi3::StreamDecoder m_decoder;
    kordan::zusi3::Bytes m_out;
    bool m_subscribed = false;
};

} // namespace standin
