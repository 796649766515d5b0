#include "sim/zusi3/Zusi3Codec.h"

#include "sim/zusi3/Zusi3Hex.h"
#include "sim/zusi3/Zusi3Messages.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace kordan::zusi3 {
namespace {

using test::hex;

TEST(Zusi3Codec, BuildersGiveTheDocumentedBytes) {
    const std::pair<Node, const Bytes*> cases[] = {
        {helloMessage("Pult", "1.0"), &test::kHelloPult},
        {inputMessage({0x10, 0, AktionDown, 0}), &test::kSifaDown},
        {controlToggleMessage(0x01), &test::kPauseToggle},
        {inputMessage({0x01, 0, AktionAbsolut, 3}), &test::kFahrschalterNotch3},
    };
    for (const auto& [message, bytes] : cases) {
        EXPECT_EQ(encode(message), *bytes);
        // And back: the tree read from the bytes is the one they were built from.
        EXPECT_EQ(decode(*bytes), message);
    }
    EXPECT_FALSE(readFtd(*decode(test::kAckHello))); // each reader knows only its message
    // The client name goes out in the single-byte code page: "für" is 66 FC 72.
    const Bytes kordan = encode(helloMessage(kClientName, "1.0.2"));
    const Bytes fuer = hex("66 FC 72");
    EXPECT_NE(std::search(kordan.begin(), kordan.end(), fuer.begin(), fuer.end()), kordan.end());
}

TEST(Zusi3Codec, StreamInPiecesOfAnySize) {
    Bytes stream;
    std::vector<Node> want;
    for (const Bytes* b : {&test::kAckHello, &test::kSpeed100, &test::kNeededData}) {
        stream.insert(stream.end(), b->begin(), b->end());
        want.push_back(*decode(*b));
    }
    for (size_t piece : {size_t{1}, size_t{3}, size_t{7}, stream.size()}) {
        StreamDecoder d;
        std::vector<Node> got;
        for (size_t i = 0; i < stream.size(); i += piece) {
            d.feed(stream.data() + i, std::min(piece, stream.size() - i));
            while (auto n = d.next())
                got.push_back(*n);
        }
        EXPECT_EQ(got, want) << piece;
    }
}

TEST(Zusi3Codec, UnknownIdsAreSkippedByTheirLength) {
    // An unknown attribute whose value holds what looks like markers, and an unknown node,
    // around the speed: the reader still finds it.
    const Bytes bytes = hex("00000000 0200 00000000 0A00 0A000000 7F7F FFFFFFFF 00000000"
                            "00000000 7F7F 02000000 0100 FFFFFFFF"
                            "06000000 0100 E438DE41 FFFFFFFF FFFFFFFF");
    const auto ftd = readFtd(*decode(bytes));
    ASSERT_TRUE(ftd);
    ASSERT_TRUE(ftd->speedMs);
    EXPECT_NEAR(*ftd->speedMs, 27.7778f, 1e-4);
}

TEST(Zusi3Codec, BrokenStreamsFailAndStayFailed) {
    const std::pair<const char*, DecodeError> cases[] = {
        {"FFFFFFFF", DecodeError::StrayEnd},
        {"04000000 0100 0200", DecodeError::AttributeOutside},
        {"00000000 0200 01000000 01", DecodeError::BadAttributeLength},
        {"00000000 0200 06001000 0100", DecodeError::TooLarge}, // a 1 MB attribute announced
        {"00000000 0100 00000000 0100 00000000 0100 00000000 0100", DecodeError::TooDeep},
    };
    for (const auto& [text, error] : cases) {
        StreamDecoder d({3, 1u << 20});
        d.feed(hex(text));
        EXPECT_EQ(d.error(), error) << text;
        d.feed(test::kSpeed100);
        EXPECT_FALSE(d.next()) << text;
    }
    EXPECT_TRUE(decode(hex("00000000 0100 00000000 0100 00000000 0100 FFFFFFFF FFFFFFFF FFFFFFFF"),
                       {3, 1u << 20}));                                 // as deep as allowed
    EXPECT_TRUE(decode(test::kSpeed100, {16, test::kSpeed100.size()})); // just within the bound
    EXPECT_FALSE(decode(test::kSpeed100, {16, test::kSpeed100.size() - 1})); // just beyond
}

TEST(Zusi3Codec, ValueReadersCheckTheSize) {
    EXPECT_EQ(asInteger({1, hex("FE")}, false), -2); // one, two or four bytes, signed
    EXPECT_EQ(asInteger({1, hex("FEFF")}, false), -2);
    EXPECT_EQ(asInteger({1, hex("FEFFFFFF")}, false), -2);
    EXPECT_EQ(asInteger({1, hex("0000A040")}, true), 5);            // the Single 5.0
    EXPECT_EQ(asInteger({1, hex("0000C07F")}, true), std::nullopt); // a NaN is no notch
}

} // namespace
} // namespace kordan::zusi3
