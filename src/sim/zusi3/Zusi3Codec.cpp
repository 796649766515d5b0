#include "sim/zusi3/Zusi3Codec.h"

#include "common/TextFile.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <iterator>
#include <numeric>

namespace kordan::zusi3 {

namespace {

constexpr uint32_t kNodeStart = 0;
constexpr uint32_t kNodeEnd = 0xFFFFFFFFu;

void putLe(Bytes& out, uint64_t v, size_t n) {
    for (size_t i = 0; i < n; ++i)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

uint64_t getLe(const uint8_t* p, size_t n) {
    return std::accumulate(std::reverse_iterator(p + n), std::reverse_iterator(p), uint64_t{0},
                           [](uint64_t v, uint8_t byte) { return v << 8 | byte; });
}

// The whole value as a little-endian number; its size is checked by the caller.
uint64_t valueLe(const Attribute& a) {
    return getLe(a.value.data(), a.value.size());
}

Attribute numberAttr(uint16_t id, uint64_t v, size_t n) {
    Attribute a{id, {}};
    putLe(a.value, v, n);
    return a;
}

} // namespace

const Attribute* Node::attribute(uint16_t attrId) const {
    auto it = std::find_if(attributes.begin(), attributes.end(),
                           [attrId](const Attribute& a) { return a.id == attrId; });
    return it == attributes.end() ? nullptr : &*it;
}

const Node* Node::child(uint16_t nodeId) const {
    auto it = std::find_if(children.begin(), children.end(),
                           [nodeId](const Node& n) { return n.id == nodeId; });
    return it == children.end() ? nullptr : &*it;
}

Node& Node::add(Attribute a) {
    attributes.push_back(std::move(a));
    return *this;
}

Node& Node::add(Node n) {
    children.push_back(std::move(n));
    return *this;
}

Attribute byteAttr(uint16_t id, uint8_t v) {
    return numberAttr(id, v, 1);
}
Attribute wordAttr(uint16_t id, uint16_t v) {
    return numberAttr(id, v, 2);
}
Attribute smallIntAttr(uint16_t id, int16_t v) {
    return numberAttr(id, static_cast<uint16_t>(v), 2);
}
Attribute shortIntAttr(uint16_t id, int8_t v) {
    return numberAttr(id, static_cast<uint8_t>(v), 1);
}

Attribute stringAttr(uint16_t id, std::string_view utf8) {
    const std::string bytes = toWindows1252(utf8);
    return Attribute{id, Bytes(bytes.begin(), bytes.end())};
}

std::optional<uint8_t> asByte(const Attribute& a) {
    if (a.value.size() != 1)
        return std::nullopt;
    return a.value[0];
}

std::optional<uint16_t> asWord(const Attribute& a) {
    if (a.value.size() != 2)
        return std::nullopt;
    return static_cast<uint16_t>(valueLe(a));
}

std::optional<float> asSingle(const Attribute& a) {
    if (a.value.size() != 4)
        return std::nullopt;
    return std::bit_cast<float>(static_cast<uint32_t>(valueLe(a)));
}

std::optional<int32_t> asInteger(const Attribute& a, bool singleIfFour) {
    switch (a.value.size()) {
    case 1:
        return static_cast<int8_t>(a.value[0]);
    case 2:
        return static_cast<int16_t>(valueLe(a));
    case 4:
        if (singleIfFour) {
            const float f = *asSingle(a);
            if (!std::isfinite(f) || std::fabs(f) > 1e9f)
                return std::nullopt;
            return static_cast<int32_t>(std::lround(f));
        }
        return static_cast<int32_t>(valueLe(a));
    default:
        return std::nullopt;
    }
}

std::string asString(const Attribute& a) {
    return fromWindows1252(
        std::string_view(reinterpret_cast<const char*>(a.value.data()), a.value.size()));
}

void appendEncoded(Bytes& out, const Node& node) {
    putLe(out, kNodeStart, 4);
    putLe(out, node.id, 2);
    for (const Attribute& a : node.attributes) {
        putLe(out, a.value.size() + 2, 4);
        putLe(out, a.id, 2);
        out.insert(out.end(), a.value.begin(), a.value.end());
    }
    for (const Node& c : node.children)
        appendEncoded(out, c);
    putLe(out, kNodeEnd, 4);
}

Bytes encode(const Node& message) {
    Bytes out;
    appendEncoded(out, message);
    return out;
}

StreamDecoder::StreamDecoder(DecoderLimits limits) : m_limits(limits) {}

void StreamDecoder::reset() {
    m_state = State::Marker;
    m_have = 0;
    m_remaining = 0;
    m_messageBytes = 0;
    m_open.clear();
    m_done.clear();
    m_error = DecodeError::None;
}

void StreamDecoder::fail(DecodeError e) {
    m_error = e;
    m_open.clear();
}

void StreamDecoder::feed(const uint8_t* data, size_t size) {
    while (size > 0 && m_error == DecodeError::None) {
        size_t take;
        if (m_state == State::AttributeValue) {
            take = std::min(size, m_remaining);
            m_attribute.value.insert(m_attribute.value.end(), data, data + take);
            m_remaining -= take;
            if (m_remaining == 0) {
                m_open.back().attributes.push_back(std::move(m_attribute));
                m_state = State::Marker;
            }
        } else {
            const size_t want = m_state == State::Marker ? 4 : 2;
            take = std::min(size, want - m_have);
            std::memcpy(m_head + m_have, data, take);
            m_have += take;
            if (m_have == want) {
                m_have = 0;
                const uint64_t v = getLe(m_head, want);
                if (m_state == State::Marker) {
                    onWord32(static_cast<uint32_t>(v));
                } else if (m_state == State::NodeId) {
                    m_open.push_back(Node{static_cast<uint16_t>(v), {}, {}});
                    m_state = State::Marker;
                    if (m_open.size() > m_limits.maxDepth)
                        fail(DecodeError::TooDeep);
                } else {
                    m_attribute = Attribute{static_cast<uint16_t>(v), {}};
                    m_state = State::AttributeValue;
                    if (m_remaining == 0) {
                        m_open.back().attributes.push_back(std::move(m_attribute));
                        m_state = State::Marker;
                    }
                }
            }
        }
        data += take;
        size -= take;
        m_messageBytes += take;
        if (m_error == DecodeError::None && m_messageBytes > m_limits.maxMessageBytes)
            fail(DecodeError::TooLarge);
        if (m_open.empty() && m_state == State::Marker && m_have == 0)
            m_messageBytes = 0;
    }
}

void StreamDecoder::onWord32(uint32_t v) {
    if (v == kNodeStart) {
        m_state = State::NodeId;
    } else if (v == kNodeEnd) {
        if (m_open.empty())
            return fail(DecodeError::StrayEnd);
        close();
    } else if (m_open.empty()) {
        fail(DecodeError::AttributeOutside);
    } else if (v < 2) {
        fail(DecodeError::BadAttributeLength);
    } else if (v - 2 > m_limits.maxMessageBytes) {
        // Known to be too long before its bytes arrive: no point in waiting for them.
        fail(DecodeError::TooLarge);
    } else {
        m_remaining = v - 2;
        m_state = State::AttributeId;
    }
}

void StreamDecoder::close() {
    Node done = std::move(m_open.back());
    m_open.pop_back();
    if (m_open.empty())
        m_done.push_back(std::move(done));
    else
        m_open.back().children.push_back(std::move(done));
}

std::optional<Node> StreamDecoder::next() {
    if (m_done.empty())
        return std::nullopt;
    Node n = std::move(m_done.front());
    m_done.pop_front();
    return n;
}

std::optional<Node> decode(const Bytes& bytes, DecoderLimits limits) {
    StreamDecoder d(limits);
    d.feed(bytes);
    auto n = d.next();
    if (d.error() != DecodeError::None || d.inMessage() || !n || d.next())
        return std::nullopt;
    return n;
}

} // namespace kordan::zusi3
