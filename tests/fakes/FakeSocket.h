#pragma once

#include "sim/zusi3/TcpSocket.h"
#include "sim/zusi3/Zusi3Codec.h"
#include "sim/zusi3/Zusi3Messages.h"

#include <algorithm>
#include <cstdint>
#include <deque>
#include <string>
#include <utility>
#include <vector>

namespace kordan::test {

// A socket whose peer the test plays: it hands out queued chunks and records what is sent.
class FakeSocket : public ITcpSocket {
public:
    void connect(const std::string& host, uint16_t port) override {
        connects.push_back(host + ":" + std::to_string(port));
        current = next;
    }
    State state() override { return current; }
    ptrdiff_t send(const uint8_t* data, size_t size) override {
        if (current != State::Connected)
            return -1;
        const size_t n = std::min(size, room);
        sent.insert(sent.end(), data, data + n);
        return static_cast<ptrdiff_t>(n);
    }
    ptrdiff_t receive(uint8_t* buffer, size_t size) override {
        if (current != State::Connected)
            return -1;
        if (chunks.empty())
            return peerClosed ? (current = State::Failed, -1) : 0;
        const zusi3::Bytes c =
            chunks.front(); // one read each, all smaller than the reader's buffer
        chunks.pop_front();
        std::copy(c.begin(), c.begin() + static_cast<ptrdiff_t>(std::min(size, c.size())), buffer);
        return static_cast<ptrdiff_t>(c.size());
    }
    void close() override { current = State::Closed, chunks.clear(), peerClosed = false; }
    Failure failure() const override { return failed; }

    State next = State::Connected; // what the next connect() leads to
    State current = State::Closed;
    Failure failed = Failure::None; // why a failed connect failed, as the socket tells it
    std::deque<zusi3::Bytes> chunks;
    bool peerClosed = false;
    size_t room = SIZE_MAX;
    zusi3::Bytes sent;
    std::vector<std::string> connects;
};

// "ZUORDNUNG KOMMANDO AKTION POSITION" of each input sent since the last call.
inline std::vector<std::string> inputsSent(FakeSocket& socket) {
    zusi3::StreamDecoder d;
    d.feed(std::exchange(socket.sent, {}));
    std::vector<std::string> out;
    while (auto m = d.next()) {
        const zusi3::Node* in = m->child(zusi3::kInput);
        for (const zusi3::Node& key : in ? in->children : std::vector<zusi3::Node>{}) {
            std::string line;
            for (uint16_t id : {1, 2, 3, 4})
                line += (id > 1 ? " " : "") +
                        std::to_string(*zusi3::asInteger(*key.attribute(id), false));
            out.push_back(line);
        }
    }
    return out;
}

} // namespace kordan::test
