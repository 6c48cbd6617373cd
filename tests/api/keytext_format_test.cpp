// The layout of key texts and the strictness of reading them, checked with a
// small base64 and hexadecimal codec of the test's own.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdint>
#include <string>
#include <vector>

#include "api_helpers.h"
#include "plain_base64.h"
#include "vessa.h"

namespace {

using vessa_test::PackPrivate;
using vessa_test::PackPublic;
using vessa_test::PlainBase64Encode;

using Block = std::array<uint8_t, 128>;

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// For texts known to be well formed.
std::string B64Decode(const std::string &in) {
    const std::string alphabet = kAlphabet;
    std::string out;
    uint32_t bits = 0;
    int count = 0;
    for (const char c : in) {
        if (c == '=') {
            break;
        }
        bits = (bits << 6) | static_cast<uint32_t>(alphabet.find(c));
        count += 6;
        if (count >= 8) {
            count -= 8;
            out += static_cast<char>((bits >> count) & 0xFF);
        }
    }
    return out;
}

std::string Hex(const Block &block) {
    std::string out;
    for (const uint8_t b : block) {
        out += "0123456789abcdef"[b >> 4];
        out += "0123456789abcdef"[b & 0x0F];
    }
    return out;
}

Block Unhex(const std::string &hex) {
    Block block{};
    for (size_t i = 0; i < block.size(); ++i) {
        block[i] = static_cast<uint8_t>(std::stoi(hex.substr(2 * i, 2), nullptr, 16));
    }
    return block;
}

int64_t LoadLE(const Block &block, size_t offset) {
    uint64_t bits = 0;
    for (size_t i = 8; i-- > 0;) {
        bits = (bits << 8) | block[offset + i];
    }
    return static_cast<int64_t>(bits);
}

Block BlockWith(uint8_t filler, int64_t x, int64_t y) {
    Block block;
    block.fill(filler);
    for (size_t i = 0; i < 8; ++i) {
        block[13 + i] = static_cast<uint8_t>(static_cast<uint64_t>(x) >> (8 * i));
        block[21 + i] = static_cast<uint8_t>(static_cast<uint64_t>(y) >> (8 * i));
    }
    return block;
}

constexpr int64_t kX = 0x0123456789ABCDEF;
constexpr int64_t kY = -0x7EDCBA9876543210;

TEST(KeyTextFormat, PackedTextsAreBase64OfLowercaseHexWithFillerInRange) {
    std::array<bool, 256> seen{};
    for (int i = 0; i < 1500; ++i) {
        const bool is_public = i % 2 == 1;
        const std::string text = is_public ? PackPublic(kX, kY) : PackPrivate(kX);
        ASSERT_EQ(text.size(), 344u);
        ASSERT_EQ(text.substr(342), "==");
        ASSERT_EQ(text.find_first_not_of(kAlphabet), 342u);
        const std::string hex = B64Decode(text);
        ASSERT_EQ(hex.size(), 256u);
        ASSERT_EQ(hex.find_first_not_of("0123456789abcdef"), std::string::npos) << hex;
        const Block block = Unhex(hex);
        ASSERT_EQ(LoadLE(block, 13), kX);
        const size_t key_end = is_public ? 29 : 21;
        if (is_public) {
            ASSERT_EQ(LoadLE(block, 21), kY);
        }
        for (size_t j = 0; j < block.size(); ++j) {
            if (j >= 13 && j < key_end) {
                continue;
            }
            ASSERT_GE(block[j], 1) << j;
            ASSERT_LE(block[j], 254) << j;
            seen[block[j]] = true;
        }
    }
    // Some 174000 draws: every filler value shows up.
    EXPECT_EQ(std::count(seen.begin() + 1, seen.begin() + 255, true), 254);
}

TEST(KeyTextFormat, HandMadeTextsWithAnyFillerUnpack) {
    for (const int filler : {0x00, 0xFF, 0x7F}) {
        const std::string text = PlainBase64Encode(Hex(BlockWith(static_cast<uint8_t>(filler), kX, kY)));
        int64_t d = 0;
        ASSERT_EQ(resolve_private(text.c_str(), &d), 0) << filler;
        EXPECT_EQ(d, kX);
        int64_t x = 0;
        int64_t y = 0;
        ASSERT_EQ(resolve_public(text.c_str(), &x, &y), 0) << filler;
        EXPECT_EQ(x, kX);
        EXPECT_EQ(y, kY);
    }
}

TEST(KeyTextFormat, UpperCaseHexUnpacksToTheSameKey) {
    std::string hex = B64Decode(PackPublic(kX, kY));
    std::transform(hex.begin(), hex.end(), hex.begin(),
                   [](char c) { return static_cast<char>(std::toupper(c)); });
    ASSERT_NE(hex.find_first_of("ABCDEF"), std::string::npos);
    const std::string text = PlainBase64Encode(hex);
    int64_t x = 0;
    int64_t y = 0;
    ASSERT_EQ(resolve_public(text.c_str(), &x, &y), 0);
    EXPECT_EQ(x, kX);
    EXPECT_EQ(y, kY);
    int64_t d = 0;
    ASSERT_EQ(resolve_private(text.c_str(), &d), 0);
    EXPECT_EQ(d, kX);
}

TEST(KeyTextFormat, PrivateTextReadAsPublicYieldsFillerAsY) {
    const std::string text = PackPrivate(-99919);
    const Block block = Unhex(B64Decode(text));
    int64_t x = 0;
    int64_t y = 0;
    ASSERT_EQ(resolve_public(text.c_str(), &x, &y), 0);
    EXPECT_EQ(x, -99919);
    EXPECT_EQ(y, LoadLE(block, 21));
}

std::string WithCharAt(std::string text, size_t index, char c) {
    text[index] = c;
    return text;
}

// The text of a block whose hexadecimal digit `index` is replaced by c.
std::string WithHexDigit(size_t index, char c) {
    std::string hex = Hex(BlockWith(0x55, kX, kY));
    hex[index] = c;
    return PlainBase64Encode(hex);
}

// The symbol after s in the alphabet: changes the unused low bits of the
// last symbol of a text while keeping it in the alphabet.
char NextSymbol(char s) {
    const std::string alphabet = kAlphabet;
    return alphabet[(alphabet.find(s) + 1) % 64];
}

TEST(KeyTextFormat, EveryMalformationFailsAndLeavesOutputsAlone) {
    const std::string good = PlainBase64Encode(Hex(BlockWith(0x55, kX, kY)));
    const std::string hex = Hex(BlockWith(0x55, kX, kY));
    struct Case {
        const char *shows;
        std::string text;
    };
    const Case cases[] = {
        {"empty text", ""},
        {"trailing newline", good + "\n"},
        {"space inside", WithCharAt(good, 100, ' ')},
        {"space in front", good.substr(0, 343).insert(0, 1, ' ')},
        {"url-safe '-'", WithCharAt(good, 7, '-')},
        {"url-safe '_'", WithCharAt(good, 7, '_')},
        {"byte 0x80", WithCharAt(good, 20, '\x80')},
        {"byte 0xFF", WithCharAt(good, 20, '\xFF')},
        {"a third '='", good + "="},
        {"'=' inside", WithCharAt(good, 200, '=')},
        {"symbols after the padding", good + "AAAA"},
        {"a single symbol in the last group", good.substr(0, 341)},
        {"non-canonical last symbol", WithCharAt(good, 341, NextSymbol(good[341]))},
        {"255 bytes", PlainBase64Encode(hex.substr(0, 255))},
        {"257 bytes", PlainBase64Encode(hex + "0")},
        {"one group short", good.substr(0, 340)},
        {"two texts in one", good + good},
        {"non-hex in the last quarter (filler only)", WithHexDigit(250, 'g')},
        {"non-hex in the first quarter", WithHexDigit(0, 'x')},
        {"non-hex in a key digit", WithHexDigit(30, 'G')},
        {"space as a hex digit", WithHexDigit(130, ' ')},
        {"NUL as a hex digit", WithHexDigit(255, '\0')},
        {"'+' as a hex digit", WithHexDigit(64, '+')},
    };
    ASSERT_EQ(good.substr(342), "==");
    for (const Case &c : cases) {
        int64_t d = 11;
        EXPECT_EQ(resolve_private(c.text.c_str(), &d), -1) << c.shows;
        EXPECT_EQ(d, 11) << c.shows;
        int64_t x = 22;
        int64_t y = 33;
        EXPECT_EQ(resolve_public(c.text.c_str(), &x, &y), -1) << c.shows;
        EXPECT_EQ(x, 22) << c.shows;
        EXPECT_EQ(y, 33) << c.shows;
    }
}

}  // namespace
