// The 12-byte entry layout, the size rules of encrypted texts, and text
// encryption and decryption on raw points and scalars.
#include <gtest/gtest.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "curve/dispatch/arithmetic_mode.h"
#include "curve/curve_params.h"
#include "curve/literal/point_arith.h"
#include "encryption/decrypt_text.h"
#include "encryption/decrypt_value.h"
#include "encryption/encrypt_text.h"
#include "encryption/string_ciphertext.h"

namespace vessa {
namespace {

constexpr int64_t kMin = std::numeric_limits<int64_t>::min();
constexpr int32_t kMax32 = std::numeric_limits<int32_t>::max();
constexpr int32_t kMin32 = std::numeric_limits<int32_t>::min();
constexpr EccCurve kCurve{kCurveA, kCurveB, kCurveP, kCurveH, kCurveOrder, kBasePoint};
constexpr uint8_t kCanary = 0xA5;

TEST(StringCiphertextEntry, StoresLowWordsLittleEndian) {
    const EccCiphertext ct{{0x01020304, 0x0A0B0C0D}, 0x11223344};
    std::array<uint8_t, 14> bytes{};
    bytes.fill(kCanary);
    StoreEntry(ct, bytes.data());
    const std::array<uint8_t, 14> expected{0x04, 0x03, 0x02, 0x01, 0x0D, 0x0C, 0x0B,
                                           0x0A, 0x44, 0x33, 0x22, 0x11, kCanary, kCanary};
    EXPECT_EQ(bytes, expected);
}

TEST(StringCiphertextEntry, ReadsWordsSignExtended) {
    struct Case {
        int64_t stored, read;
    };
    const Case cases[] = {
        {0, 0},
        {-1, -1},                          // the point at infinity survives
        {kCurveP, kCurveP},                // largest coordinate
        {kCurveP * 255, kCurveP * 255},    // largest masked value
        {0x7FFFFFFF, 0x7FFFFFFF},
        {0x80000000, -0x80000000LL},       // top bit of the word is its sign
        {0x1'0000'0005, 5},                // high half dropped
        {kMin, 0},
    };
    for (const Case &c : cases) {
        std::array<uint8_t, kEntrySize> bytes{};
        StoreEntry(EccCiphertext{{c.stored, c.stored}, c.stored}, bytes.data());
        const EccCiphertext back = LoadEntry(bytes.data());
        EXPECT_EQ(back.point.x, c.read) << c.stored;
        EXPECT_EQ(back.point.y, c.read) << c.stored;
        EXPECT_EQ(back.masked, c.read) << c.stored;
    }
}

TEST(EncryptedTextSize, ChecksBit15ThenTheCapacity) {
    constexpr size_t kSizeMax = std::numeric_limits<size_t>::max();
    struct Case {
        size_t length;
        int32_t capacity;
        int32_t expected;
    };
    // The small cases are exercised through encrypt_string as well.
    const Case cases[] = {
        {0, 0, 0},
        {0, -1, -4},
        {3, 36, 36},                  // exactly 12 * length
        {3, 35, -4},
        {32768, kMax32, -2},          // bit 15 decides whatever the capacity
        {65536, 786432, 786432},      // bit 15 is a bit, not a bound
        {98303, kMax32, 1179636},
        {98304, kMax32, -2},
        {178924202, kMax32, 2147090424},  // largest size that still fits
        {178978816, kMax32, -4},      // 12 * length exceeds 2^31 - 1 ...
        {357913942, 8, -4},           // ... or wraps 32 bits to a small size
        {kSizeMax & ~size_t{0x8000}, kMax32, -4},
        {kSizeMax, kMax32, -2},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(EncryptedTextSize(c.length, c.capacity), c.expected)
            << c.length << " / " << c.capacity;
    }
}

TEST(DecryptedTextLength, ChecksWholeEntriesThenRoomForTheNul) {
    struct Case {
        int32_t count, capacity, expected;
    };
    // The small cases are exercised through decrypt_to_string as well.
    const Case cases[] = {
        {0, 1, 0},
        {0, 0, -3},
        {24, 3, 2},
        {13, 0, -2},      // the count is checked first
        {kMin32, 100, -2},  // -2^31 is no multiple of 12
        {-12, 1, 0},      // a negative count is the empty text ...
        {-12, 0, -3},     // ... which still needs room for its NUL
        {-2147483640, 1, 0},
        {2147483640, kMax32, 178956970},
        {2147483640, 178956970, -3},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(DecryptedTextLength(c.count, c.capacity), c.expected)
            << c.count << " / " << c.capacity;
    }
}

std::vector<uint8_t> Entries(const std::vector<EccCiphertext> &cts) {
    std::vector<uint8_t> bytes(cts.size() * kEntrySize);
    for (size_t i = 0; i < cts.size(); ++i) {
        StoreEntry(cts[i], bytes.data() + i * kEntrySize);
    }
    return bytes;
}

TEST(DecryptText, ReadsEachEntryAsSignedWords) {
    // A scalar of 1 leaves R as the shared point, so the divisor is |R.x|.
    struct Case {
        EccCiphertext entry;
        uint8_t expected;
    };
    const Case cases[] = {
        {{{-1, -1}, 'A'}, 'A'},          // stored as FF FF FF FF: infinity
        {{{-7, 0}, -700}, 156},          // -700 / 7 = -100
        {{{7, 0}, 7 * 201}, 201},
        {{{0, 1}, kCurveP * 'z'}, 'z'},  // zero x read as p
        {{{-1, -1}, 0}, 0},
    };
    for (const Case &c : cases) {
        const std::vector<uint8_t> bytes = Entries({c.entry});
        char out[2] = {'#', '#'};
        ASSERT_EQ(DecryptText(kCurve, 1, bytes.data(), 12, out, 2), 1);
        EXPECT_EQ(static_cast<uint8_t>(out[0]), c.expected) << c.entry.masked;
        EXPECT_EQ(out[1], '\0');
    }
}

TEST(DecryptText, StoresZeroBytesInsideTheCountAndNothingPastTheNul) {
    const std::vector<uint8_t> bytes =
        Entries({{{-1, -1}, 'a'}, {{-1, -1}, 0}, {{-1, -1}, 'b'}});
    std::array<char, 8> out{};
    out.fill('#');
    ASSERT_EQ(DecryptText(kCurve, 99, bytes.data(), 36, out.data(), 4), 3);
    EXPECT_EQ(std::string(out.data(), out.size()), std::string("a\0b\0####", 8));
}

TEST(DecryptBytes, EqualsDecryptValueWithTheLiteralArithmetic) {
    // Entries of every kind in one call, so that batches mix them: points of
    // the curve, points off it (random, and of order 3 and 4 on their own
    // curves, whose multiples meet infinity and coordinates 0), and points
    // outside [1, p - 1]. The literal chain is the oracle, so the scalars
    // stay small; with a scalar below 2 or above n the reduction is tested.
    std::mt19937_64 gen(15);
    std::uniform_int_distribution<int64_t> coordinate(1, kCurveP - 1);
    std::vector<EccCiphertext> entries;
    for (int i = 0; i < 70; ++i) {
        const int64_t masked = static_cast<int64_t>(gen() % 30000000);
        switch (i % 5) {
            case 0: entries.push_back({ScalarMultiplyReference(kCurve, 2 + i, kCurve.g), masked}); break;
            case 1: entries.push_back({{0, 1}, masked}); break;
            case 2: entries.push_back({{kCurveP, coordinate(gen)}, masked}); break;
            default: entries.push_back({{coordinate(gen), coordinate(gen)}, masked}); break;
        }
    }
    // (5, 1) lies on y^2 = x^3 + x - 130 + 1, whose point (5, 0) has order 2.
    entries.push_back({{5, 1}, 123456});
    const std::vector<uint8_t> bytes = Entries(entries);
    for (const int64_t d : {int64_t{1}, int64_t{2}, int64_t{3}, int64_t{4}, int64_t{12},
                            int64_t{1500}, kCurveOrder + 7}) {
        SCOPED_TRACE(d);
        std::vector<uint8_t> fast(entries.size());
        DecryptBytes(kCurve, d, bytes.data(), entries.size(), fast.data());
        const ScopedReferenceArithmetic reference;
        for (size_t i = 0; i < entries.size(); ++i) {
            EXPECT_EQ(fast[i], DecryptValue(kCurve, d, entries[i].point, entries[i].masked)) << i;
        }
    }
}

TEST(EncryptText, RoundTripsEveryKindOfByteWithinItsEntries) {
    const int64_t d = 16001;
    const EccPoint q = ScalarMultiplyReference(kCurve, d, kCurve.g);
    const std::string text = "A\x01\x7f\x80\xc3\xa9\xff z";
    const size_t size = text.size() * kEntrySize;
    std::vector<uint8_t> ct(size + 5, kCanary);
    ASSERT_EQ(EncryptText(kCurve, q, text.c_str(), ct.data(), static_cast<int32_t>(size)),
              static_cast<int32_t>(size));
    for (size_t i = size; i < ct.size(); ++i) {
        EXPECT_EQ(ct[i], kCanary) << i;
    }
    for (size_t i = 0; i < text.size(); ++i) {
        const EccCiphertext entry = LoadEntry(ct.data() + i * kEntrySize);
        EXPECT_GE(entry.point.x, -1);
        EXPECT_LE(entry.point.x, kCurveP);
        EXPECT_GE(entry.masked, 0);
        EXPECT_LE(entry.masked, kCurveP * 255);
    }
    std::vector<char> out(text.size() + 3, '#');
    ASSERT_EQ(DecryptText(kCurve, d, ct.data(), static_cast<int32_t>(size), out.data(),
                          static_cast<int32_t>(out.size())),
              static_cast<int32_t>(text.size()));
    EXPECT_EQ(std::string(out.data(), text.size()), text);
    EXPECT_EQ(std::string(out.data() + text.size(), 3), std::string("\0##", 3));
}

}  // namespace
}  // namespace vessa
