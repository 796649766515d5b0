#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The simulator's TCP wire format: a message is one tree of nodes holding attributes and
// child nodes, little-endian throughout. A node is the marker 0x00000000, a 16-bit id, its
// content and the end marker 0xFFFFFFFF; an attribute is a 32-bit length (id + value), a
// 16-bit id and the value. There is no overall length, so the reader counts nesting.
namespace kordan::zusi3 {

using Bytes = std::vector<uint8_t>;

struct Attribute {
    uint16_t id = 0;
    Bytes value;
    bool operator==(const Attribute&) const = default;
};

struct Node {
    uint16_t id = 0;
    std::vector<Attribute> attributes;
    std::vector<Node> children;
    bool operator==(const Node&) const = default;

    // The first attribute or child with the id; nullptr when there is none.
    const Attribute* attribute(uint16_t attrId) const;
    const Node* child(uint16_t nodeId) const;

    Node& add(Attribute a);
    Node& add(Node n);
};

// Attribute values as the wire types (Byte, Word, SmallInt, Single, String).
Attribute byteAttr(uint16_t id, uint8_t v);
Attribute wordAttr(uint16_t id, uint16_t v);
Attribute smallIntAttr(uint16_t id, int16_t v);
Attribute shortIntAttr(uint16_t id, int8_t v);
// Text in UTF-8, sent in the single-byte code page the clients of the simulator read.
Attribute stringAttr(uint16_t id, std::string_view utf8);

// Readers: nullopt when the value does not have the type's size. Newer simulator versions
// have changed types without notice, so a caller treats a mismatch as "absent".
std::optional<uint8_t> asByte(const Attribute& a);
std::optional<uint16_t> asWord(const Attribute& a);
std::optional<float> asSingle(const Attribute& a);
// A whole number of any width the sources have used for it: 1, 2 or 4 bytes signed, or a
// Single (4 bytes) where `singleIfFour` is set.
std::optional<int32_t> asInteger(const Attribute& a, bool singleIfFour);
// The bytes read as the single-byte code page, returned as UTF-8.
std::string asString(const Attribute& a);

// The bytes of one message.
Bytes encode(const Node& message);
void appendEncoded(Bytes& out, const Node& node);

// Limits that keep a broken or hostile peer from exhausting memory or the stack.
struct DecoderLimits {
    size_t maxDepth = 16;
    size_t maxMessageBytes = 1u << 20;
};

enum class DecodeError {
    None,
    TooDeep,           // more nested nodes than maxDepth
    TooLarge,          // a message longer than maxMessageBytes
    AttributeOutside,  // an attribute length where a message has to start
    StrayEnd,          // an end marker with no open node
    BadAttributeLength // an attribute length below 2 (its id alone needs 2)
};

// Reads a byte stream in pieces of any size: a message split over reads, several messages
// in one read. After an error the stream cannot be resynchronised (there are no message
// boundaries to find), so the decoder stays failed until reset.
class StreamDecoder {
public:
    explicit StreamDecoder(DecoderLimits limits = {});

    // Consumes the bytes; completed messages queue up for next().
    void feed(const uint8_t* data, size_t size);
    void feed(const Bytes& bytes) { feed(bytes.data(), bytes.size()); }
    std::optional<Node> next();

    DecodeError error() const { return m_error; }
    // True while a message has started but not ended.
    bool inMessage() const { return !m_open.empty() || m_state != State::Marker || m_have != 0; }
    void reset();

private:
    enum class State { Marker, NodeId, AttributeId, AttributeValue };
    void onWord32(uint32_t v);
    void close();
    void fail(DecodeError e);

    DecoderLimits m_limits;
    State m_state = State::Marker;
    uint8_t m_head[4] = {};
    size_t m_have = 0;      // bytes gathered into m_head
    size_t m_remaining = 0; // value bytes still to come
    size_t m_messageBytes = 0;
    std::vector<Node> m_open;
    Attribute m_attribute;
    std::deque<Node> m_done;
    DecodeError m_error = DecodeError::None;
};

// Decodes exactly one complete message; nullopt for anything else (an error, an incomplete
// message, bytes left over).
std::optional<Node> decode(const Bytes& bytes, DecoderLimits limits = {});

} // namespace kordan::zusi3
