// encrypt_string and decrypt_to_string as clients call them.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <thread>
#include <vector>

#include "api_helpers.h"
#include "curve_fixture.h"
#include "vessa.h"

namespace {

using vessa_test::GenerateKeyPair;
using vessa_test::KeyPair;

constexpr int32_t kMax32 = std::numeric_limits<int32_t>::max();
constexpr int32_t kMin32 = std::numeric_limits<int32_t>::min();
constexpr uint8_t kCanary = 0xA5;
constexpr int32_t kEntry = VESSA_CIPHERTEXT_ENTRY_SIZE;

// A buffer with `size` usable bytes followed by a guard zone, all set to a
// canary, so that tests see every byte a call writes.
struct Guarded {
    explicit Guarded(size_t usable) : size(usable), bytes(usable + kGuard, kCanary) {}
    uint8_t *data() { return bytes.data(); }
    char *chars() { return reinterpret_cast<char *>(bytes.data()); }
    // Bytes from `from` to the end of the guard zone still hold the canary.
    bool UntouchedFrom(size_t from) const {
        for (size_t i = from; i < bytes.size(); ++i) {
            if (bytes[i] != kCanary) {
                return false;
            }
        }
        return true;
    }
    static constexpr size_t kGuard = 16;
    size_t size;
    std::vector<uint8_t> bytes;
};

class EncryptTextApi : public vessa_test::CurveWithKeysTest {
protected:

    static int32_t EncryptString(const std::string &text, Guarded &out, int32_t capacity) {
        return encrypt_string(curve_, keys_.pub.c_str(), text.c_str(), out.data(), capacity);
    }
    static int32_t DecryptToString(const std::string &priv, const uint8_t *ct, int32_t count,
                                   Guarded &out, int32_t capacity) {
        return decrypt_to_string(curve_, priv.c_str(), ct, count, out.chars(), capacity);
    }
    // Encrypts then decrypts `text` with the fixture's keys; returns what
    // came back.
    static std::string RoundTrip(const std::string &text) {
        const auto size = static_cast<int32_t>(text.size()) * kEntry;
        Guarded ct(static_cast<size_t>(size));
        EXPECT_EQ(EncryptString(text, ct, size), size);
        EXPECT_TRUE(ct.UntouchedFrom(static_cast<size_t>(size)));
        Guarded out(text.size() + 1);
        const auto length = static_cast<int32_t>(text.size());
        EXPECT_EQ(DecryptToString(keys_.priv, ct.data(), size, out, length + 1), length);
        EXPECT_EQ(out.bytes[text.size()], 0);
        EXPECT_TRUE(out.UntouchedFrom(text.size() + 1));
        return std::string(out.chars(), text.size());
    }

};


TEST_F(EncryptTextApi, TextsRoundTripByteForByte) {
    const std::string texts[] = {
        "a",
        "Hello, world",
        "Gr\xc3\xbc\xc3\x9f" "e \xe4\xb8\x96\xe7\x95\x8c \xf0\x9f\x98\x80",  // UTF-8, up to 4-byte
        "\x01\x7f\x80\xfe\xff",
    };
    for (const std::string &text : texts) {
        EXPECT_EQ(RoundTrip(text), text);
    }
}

TEST_F(EncryptTextApi, EncryptStringSizeChecks) {
    struct Case {
        size_t length;
        int32_t capacity;
        int32_t expected;
    };
    const Case cases[] = {
        {0, 0, 0},
        {0, 12, 0},
        {0, -1, -4},
        {0, kMin32, -4},
        {5, 60, 60},   // exactly 12 * length
        {5, 59, -4},   // one byte short
        {5, 0, -4},
        {32767, 393203, -4},
        {32768, 0, -2},  // bit 15 of the length decides first
        {32768, -1, -2},
        {32768, 393216, -2},
        {32768, kMax32, -2},
        {65536, 786431, -4},  // passes the bit test, needs 786432
    };
    for (const Case &c : cases) {
        // Only the bytes a success writes are allocated (plus the guard
        // zone); a faulty write on failure lands in the guard zone.
        const size_t written = c.expected > 0 ? static_cast<size_t>(c.expected) : 0;
        Guarded out(written);
        const std::string text(c.length, 'q');
        EXPECT_EQ(EncryptString(text, out, c.capacity), c.expected)
            << c.length << " / " << c.capacity;
        EXPECT_TRUE(out.UntouchedFrom(written)) << c.length << " / " << c.capacity;
    }
}

TEST_F(EncryptTextApi, MalformedKeyComesBeforeEveryOtherCheck) {
    const std::string bad = keys_.pub.substr(0, 300);
    const std::string refused(32768, 'q');
    Guarded out(64);
    EXPECT_EQ(encrypt_string(curve_, bad.c_str(), refused.c_str(), out.data(), 64), -1);
    EXPECT_EQ(encrypt_string(curve_, bad.c_str(), "abcdef", out.data(), 0), -1);
    EXPECT_EQ(encrypt_string(curve_, "", "", out.data(), 64), -1);
    EXPECT_EQ(decrypt_to_string(curve_, bad.c_str(), out.data(), 13, out.chars(), 64), -1);
    EXPECT_EQ(decrypt_to_string(curve_, "", out.data(), 24, out.chars(), 0), -1);
    EXPECT_TRUE(out.UntouchedFrom(0));
}

TEST_F(EncryptTextApi, TextsTooLongForAnInt32SizeAreRefused) {
    // 12 * 178978816 is above 2^31 - 1 (and negative in 32 bits); bit 15 of
    // the length is clear.
    const std::string huge(178978816, 'q');
    Guarded out(64);
    EXPECT_EQ(EncryptString(huge, out, kMax32), -4);
    EXPECT_TRUE(out.UntouchedFrom(0));
}

TEST_F(EncryptTextApi, DecryptToStringCountAndCapacityChecks) {
    const std::string text = "hi";
    Guarded ct(24);
    ASSERT_EQ(EncryptString(text, ct, 24), 24);
    struct Case {
        int32_t count, capacity, expected;
        std::string written;  // bytes stored from offset 0, NUL included
    };
    const Case cases[] = {
        {0, 1, 0, std::string(1, '\0')},
        {0, 0, -3, ""},
        {24, 2, -3, ""},
        {24, 3, 2, std::string("hi\0", 3)},
        {24, 100, 2, std::string("hi\0", 3)},
        {12, 2, 1, std::string("h\0", 2)},
        {13, 100, -2, ""},
        {13, 0, -2, ""},
        {-12, 1, 0, std::string(1, '\0')},  // a negative count is the empty text ...
        {-12, 0, -3, ""},                   // ... which needs room for its NUL
        {-24, -1, -3, ""},
        {kMin32, 100, -2, ""},
    };
    for (const Case &c : cases) {
        Guarded out(c.capacity > 0 ? static_cast<size_t>(c.capacity) : 0);
        EXPECT_EQ(DecryptToString(keys_.priv, ct.data(), c.count, out, c.capacity), c.expected)
            << c.count << " / " << c.capacity;
        EXPECT_EQ(std::string(out.chars(), c.written.size()), c.written) << c.count;
        EXPECT_TRUE(out.UntouchedFrom(c.written.size())) << c.count << " / " << c.capacity;
    }
}

TEST_F(EncryptTextApi, WrongPrivateKeyReturnsTheCountAndWrongBytes) {
    const std::string text = "attack at dawn";
    const auto size = static_cast<int32_t>(text.size()) * kEntry;
    Guarded ct(static_cast<size_t>(size));
    ASSERT_EQ(EncryptString(text, ct, size), size);
    const KeyPair other = GenerateKeyPair(curve_);
    Guarded out(text.size() + 1);
    EXPECT_EQ(DecryptToString(other.priv, ct.data(), size, out, static_cast<int32_t>(out.size)),
              static_cast<int32_t>(text.size()));
    EXPECT_NE(std::string(out.chars(), text.size()), text);
    EXPECT_EQ(out.bytes[text.size()], 0);
}

TEST_F(EncryptTextApi, HandMadeEntriesDecryptWithZeroBytesKept) {
    // Entries on the point at infinity decrypt to their masked value under
    // any key; a zero byte stays inside the returned count.
    const uint8_t ct[36] = {
        0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 'o', 0, 0, 0,
        0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0,   0, 0, 0,
        0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 'k', 0, 0, 0,
    };
    Guarded out(4);
    EXPECT_EQ(DecryptToString(keys_.priv, ct, 36, out, 4), 3);
    EXPECT_EQ(std::string(out.chars(), 4), std::string("o\0k\0", 4));
    EXPECT_TRUE(out.UntouchedFrom(4));
}

TEST_F(EncryptTextApi, LongestTextsThatPassTheLengthTest) {
    struct Case {
        size_t length;
        int32_t capacity;
    };
    const Case cases[] = {{32767, 393204}, {65536, 786432}};
    for (const Case &c : cases) {
        std::string text(c.length, 'L');
        text.front() = 'F';
        text.back() = 'Z';
        Guarded ct(static_cast<size_t>(c.capacity));
        ASSERT_EQ(EncryptString(text, ct, c.capacity), c.capacity);
        EXPECT_TRUE(ct.UntouchedFrom(static_cast<size_t>(c.capacity)));
        Guarded out(c.length + 1);
        ASSERT_EQ(DecryptToString(keys_.priv, ct.data(), c.capacity, out,
                                  static_cast<int32_t>(c.length + 1)),
                  static_cast<int32_t>(c.length));
        EXPECT_TRUE(std::string(out.chars(), c.length) == text) << c.length;
        EXPECT_EQ(out.bytes[c.length], 0);
    }
}

TEST_F(EncryptTextApi, ThreadsEncryptAndDecryptAtOnce) {
    constexpr int kThreads = 4;
    std::vector<std::string> results(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t, &results] {
            results[static_cast<size_t>(t)] = RoundTrip("thread " + std::to_string(t) + " text");
        });
    }
    for (std::thread &thread : threads) {
        thread.join();
    }
    for (int t = 0; t < kThreads; ++t) {
        EXPECT_EQ(results[static_cast<size_t>(t)], "thread " + std::to_string(t) + " text");
    }
}

// ---- Interface 1.1: bytes of any value and any length ---------------------

constexpr size_t kSizeMax = std::numeric_limits<size_t>::max();

TEST_F(EncryptTextApi, ByteEntriesAreStringEntriesBothWays) {
    // Bytes with NULs and a length with bit 15 set, encrypted in two pieces
    // whose outputs are joined, decrypt as one.
    std::vector<uint8_t> data(32768 + 3);
    for (size_t i = 0; i < data.size(); ++i) {
        data[i] = static_cast<uint8_t>(i * 7);
    }
    const size_t split = 1000;
    Guarded ct(data.size() * kEntry);
    ASSERT_EQ(vessa_encrypt_bytes(curve_, keys_.pub.c_str(), data.data(), split, ct.data(),
                                  split * kEntry), VESSA_OK);
    ASSERT_EQ(vessa_encrypt_bytes(curve_, keys_.pub.c_str(), data.data() + split,
                                  data.size() - split, ct.data() + split * kEntry,
                                  (data.size() - split) * kEntry), VESSA_OK);
    std::vector<uint8_t> back(data.size());
    ASSERT_EQ(vessa_decrypt_bytes(curve_, keys_.priv.c_str(), ct.data(), data.size() * kEntry,
                                  back.data(), back.size()), VESSA_OK);
    EXPECT_TRUE(back == data);
    // encrypt_string entries through vessa_decrypt_bytes, and the other way.
    Guarded text_ct(5 * kEntry);
    ASSERT_EQ(EncryptString("bytes", text_ct, 5 * kEntry), 5 * kEntry);
    uint8_t plain[5];
    ASSERT_EQ(vessa_decrypt_bytes(curve_, keys_.priv.c_str(), text_ct.data(), 5 * kEntry, plain,
                                  sizeof(plain)), VESSA_OK);
    EXPECT_EQ(std::string(reinterpret_cast<char *>(plain), 5), "bytes");
    Guarded out(4);
    EXPECT_EQ(DecryptToString(keys_.priv, ct.data() + kEntry, 3 * kEntry, out, 4), 3);
    EXPECT_EQ(std::string(out.chars(), 4), std::string("\x07\x0e\x15\0", 4));
}

TEST_F(EncryptTextApi, EncryptBytesCapacityChecks) {
    struct Case {
        size_t length, capacity;
        int32_t expected;
    };
    const Case cases[] = {
        {0, 0, VESSA_OK},
        {5, 60, VESSA_OK},                              // exactly 12 * length
        {5, 59, VESSA_ERR_CIPHERTEXT_BUFFER},           // one byte short
        {5, 0, VESSA_ERR_CIPHERTEXT_BUFFER},
        {kSizeMax / 12 + 1, kSizeMax, VESSA_ERR_CIPHERTEXT_BUFFER},  // 12 * length wraps
        {kSizeMax, kSizeMax, VESSA_ERR_CIPHERTEXT_BUFFER},
    };
    const std::vector<uint8_t> data(8, 'q');
    for (const Case &c : cases) {
        const size_t written = c.expected == VESSA_OK ? c.capacity : 0;
        Guarded out(written);
        EXPECT_EQ(vessa_encrypt_bytes(curve_, keys_.pub.c_str(), data.data(), c.length,
                                      out.data(), c.capacity), c.expected) << c.length;
        EXPECT_TRUE(out.UntouchedFrom(written)) << c.length << " / " << c.capacity;
    }
    Guarded out(64);
    EXPECT_EQ(vessa_encrypt_bytes(curve_, "", data.data(), kSizeMax, out.data(), 0),
              VESSA_ERR_INVALID);
    EXPECT_TRUE(out.UntouchedFrom(0));
}

TEST_F(EncryptTextApi, DecryptBytesCountAndCapacityChecks) {
    Guarded ct(24);
    ASSERT_EQ(EncryptString("hi", ct, 24), 24);
    struct Case {
        size_t count, capacity;
        int32_t expected;
        std::string written;
    };
    const Case cases[] = {
        {0, 0, VESSA_OK, ""},
        {24, 2, VESSA_OK, "hi"},  // exactly count / 12, no NUL
        {24, 1, VESSA_ERR_PLAINTEXT_BUFFER, ""},
        {12, 100, VESSA_OK, "h"},
        {13, 100, VESSA_ERR_LENGTH, ""},
        {13, 0, VESSA_ERR_LENGTH, ""},  // the count comes before the capacity
        {kSizeMax - kSizeMax % 12, 0, VESSA_ERR_PLAINTEXT_BUFFER, ""},
    };
    for (const Case &c : cases) {
        Guarded out(c.written.size());
        EXPECT_EQ(vessa_decrypt_bytes(curve_, keys_.priv.c_str(), ct.data(), c.count, out.data(),
                                      c.capacity), c.expected) << c.count << " / " << c.capacity;
        EXPECT_EQ(std::string(out.chars(), c.written.size()), c.written) << c.count;
        EXPECT_TRUE(out.UntouchedFrom(c.written.size())) << c.count << " / " << c.capacity;
    }
    Guarded out(8);
    EXPECT_EQ(vessa_decrypt_bytes(curve_, keys_.pub.substr(2).c_str(), ct.data(), 13, out.data(),
                                  0), VESSA_ERR_INVALID);
    EXPECT_TRUE(out.UntouchedFrom(0));
}

}  // namespace
