#include "signature/signature_challenge.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "signature/sha3_256.h"

namespace {

TEST(SignatureChallenge, FirstFourBytesLittleEndianMadeNonNegative) {
    struct Case {
        uint8_t b0, b1, b2, b3;
        int32_t e;
    };
    const Case cases[] = {
        {0x00, 0x00, 0x00, 0x00, 0},
        {0x2A, 0x00, 0x00, 0x00, 42},
        {0x01, 0x02, 0x03, 0x04, 0x04030201},
        {0xFF, 0xFF, 0xFF, 0x7F, std::numeric_limits<int32_t>::max()},
        {0xFF, 0xFF, 0xFF, 0xFF, 1},                                 // -1
        {0x01, 0x00, 0x00, 0x80, std::numeric_limits<int32_t>::max()},  // -2147483647
        {0x00, 0x00, 0x00, 0x80, std::numeric_limits<int32_t>::min()},  // stays negative
        {0xD6, 0xFF, 0xFF, 0xFF, 42},                                // -42
    };
    for (const Case &c : cases) {
        vessa::Sha3_256::Digest digest{};
        digest[0] = c.b0;
        digest[1] = c.b1;
        digest[2] = c.b2;
        digest[3] = c.b3;
        EXPECT_EQ(vessa::SignatureChallenge(digest), c.e) << c.e;
        // The remaining 28 bytes are ignored.
        for (size_t i = 4; i < digest.size(); ++i) {
            digest[i] = static_cast<uint8_t>(0xA5 ^ i);
        }
        EXPECT_EQ(vessa::SignatureChallenge(digest), c.e) << c.e;
    }
}

// The challenge digests the message directly followed by the point's bytes.
TEST(MessageChallenge, HashesMessageThenPointBytes) {
    struct Case {
        std::string message;
        EccPoint point;
        std::vector<uint8_t> point_bytes;
    };
    const Case cases[] = {
        {"abc", {2617, 5304}, {0x0A, 0x39, 0x14, 0xB8}},
        {"", {99991, 1}, {0x01, 0x86, 0x97, 0x01}},
        {"message", {0, 0}, {}},
        {std::string(300, 'm'), {-1, -1}, std::vector<uint8_t>(16, 0xFF)},
    };
    for (const Case &c : cases) {
        std::vector<uint8_t> input(c.message.begin(), c.message.end());
        input.insert(input.end(), c.point_bytes.begin(), c.point_bytes.end());
        vessa::Sha3_256 whole;
        whole.Absorb(input.data(), input.size());
        const int32_t expected = vessa::SignatureChallenge(whole.Finish());
        const std::span<const uint8_t> message(
            reinterpret_cast<const uint8_t *>(c.message.data()), c.message.size());
        EXPECT_EQ(vessa::MessageChallenge(message, c.point), expected) << c.message.size();
    }
}

}  // namespace
