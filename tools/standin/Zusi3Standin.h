#pragma once

#include "Cab.h"
#include "Train.h"

#include "sim/zusi3/Zusi3Codec.h"
#include "sim/zusi3/Zusi3Messages.h"

#include <functional>
#include <string>

// The simulator's side of its TCP interface, over bytes: answers a cab controller's
// handshake, reports the train, the cab's levers, the main breaker, speed and kilometre,
// and applies the inputs it receives to the levers and the train. The socket is the
// caller's (see Zusi3Serve.h); the train and the cab outlive a client.
namespace standin {

class Zusi3Standin {
public:
    // `log` gets one line per event: "hello TYPE NAME", "needed ID...", "input ZUORDNUNG
    // KOMMANDO AKTION POSITION", "lever NAME NOTCH", "breaker ein|aus", "angleicher",
    // "control pause", "control zeitsprung V", "control zeitraffer V", "train NAME". The train
    // is led by a vehicle of the cab's kind, followed by two coaches.
    Zusi3Standin(Train& train, Cab& cab, std::function<void(const std::string&)> log);

    // A new client: its handshake starts from the beginning.
    void restart();
    // Another train is taken over, led by the vehicle `name` (its file
    // "Fahrzeuge\NAME\NAME.rv.fzg"); the levers go to their start notches.
    void takeOver(const std::string& name);
    // Bytes from the client. False when the stream is broken: the client is to be dropped.
    bool receive(const uint8_t* data, size_t size);
    // Lets `seconds` pass; once subscribed, the train's speed and kilometre go out.
    void tick(double seconds);
    // What is to be sent now; taken out.
    kordan::zusi3::Bytes takeOutput();
    // HELLO and NEEDED_DATA have come.
    bool subscribed() const { return m_hello && m_subscribed; }

private:
    void handle(const kordan::zusi3::Node& message);
    void input(const kordan::zusi3::Node& key);
    void control(const kordan::zusi3::Node& control);
    void sendTrain();
    // Logs and reports what the cab did, and lets the train follow its levers.
    void cabChanged();
    kordan::zusi3::Node ftdState() const;
    void send(const kordan::zusi3::Node& message);

    Train& m_train;
    Cab& m_cab;
    std::function<void(const std::string&)> m_log;
    kordan::zusi3::StreamDecoder m_decoder;
    kordan::zusi3::Bytes m_out;
    bool m_hello = false;
    bool m_subscribed = false;
    bool m_wantsVehicles = false; // "Status Zugverband" was asked for
    kordan::zusi3::Vehicle m_lead;
};

} // namespace standin
