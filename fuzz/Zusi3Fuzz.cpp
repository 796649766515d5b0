// Any bytes from the simulator's TCP port: the decoder must neither crash nor exceed its
// bounds, every message it completes must encode back to a tree that decodes the same, and
// the connection must take the bytes as replies to its handshake and as data.
#include "sim/zusi3/Zusi3Codec.h"
#include "sim/zusi3/Zusi3Connection.h"
#include "sim/zusi3/Zusi3Messages.h"

#include <algorithm>
#include <cstdlib>
#include <deque>

using namespace kordan;
using namespace kordan::zusi3;

namespace {

size_t depthOf(const Node& n) {
    size_t d = 0;
    for (const Node& c : n.children)
        d = std::max(d, depthOf(c));
    return d + 1;
}

// Hands out the input in pieces whose sizes the input's first byte chooses.
class ReplaySocket : public ITcpSocket {
public:
    ReplaySocket(const uint8_t* data, size_t size, size_t piece)
        : m_data(data), m_size(size), m_piece(piece) {}
    void connect(const std::string&, uint16_t) override { m_state = State::Connected; }
    State state() override { return m_state; }
    ptrdiff_t send(const uint8_t*, size_t size) override {
        return m_state == State::Connected ? static_cast<ptrdiff_t>(size) : -1;
    }
    ptrdiff_t receive(uint8_t* buffer, size_t size) override {
        if (m_state != State::Connected)
            return -1;
        const size_t n = std::min({size, m_piece, m_size - m_at});
        std::copy(m_data + m_at, m_data + m_at + n, buffer);
        m_at += n;
        return static_cast<ptrdiff_t>(n);
    }
    void close() override { m_state = State::Closed; }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_piece;
    size_t m_at = 0;
    State m_state = State::Closed;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    const size_t piece = data[0] % 16 + 1;
    ++data;
    --size;

    const DecoderLimits limits{8, 4096};
    StreamDecoder decoder(limits);
    for (size_t at = 0; at < size; at += piece) {
        decoder.feed(data + at, std::min(piece, size - at));
        while (auto message = decoder.next()) {
            if (depthOf(*message) > limits.maxDepth)
                std::abort();
            const Bytes bytes = encode(*message);
            if (bytes.size() > limits.maxMessageBytes || decode(bytes, limits) != message)
                std::abort();
            readAckHello(*message);
            readAckNeededData(*message);
            readFtd(*message);
            readProg(*message);
            readOperation(*message);
        }
    }

    ReplaySocket socket(data, size, piece);
    Zusi3Connection conn(socket, {}, "fuzz");
    conn.TrainTakenOver = [&conn] { trainFileBaseName(conn.trainFile()); };
    for (uint32_t ms = 0; ms < 64; ++ms)
        conn.poll(ms);
    if (conn.speedKmh() < 0)
        std::abort();
    return 0;
}
