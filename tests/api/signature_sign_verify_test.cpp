// sign and verify as clients call them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "api_helpers.h"
#include "curve_fixture.h"
#include "vessa.h"

namespace {

using vessa_test::GenerateKeyPair;
using vessa_test::KeyPair;
using vessa_test::KeyPairFor;

constexpr int32_t kN = 99919;
constexpr int32_t kLowestResponse = 2147383728;
constexpr int32_t kHighestResponse = 2147483646;

struct Signature {
    int32_t s;
    int32_t e;
};

class SignVerifyApi : public vessa_test::CurveWithKeysTest {
protected:
    static void SetUpTestSuite() {
        CurveWithKeysTest::SetUpTestSuite();
        other_keys_ = GenerateKeyPair(curve_);
        ASSERT_FALSE(other_keys_.pub.empty());
    }

    static Signature Sign(const std::string &priv, const char *msg) {
        Signature sig{0, 0};
        EXPECT_EQ(sign(curve_, priv.c_str(), msg, &sig.s, &sig.e), 0);
        return sig;
    }
    static int32_t Verify(const std::string &pub, const char *msg, Signature sig) {
        return verify(curve_, pub.c_str(), msg, sig.s, sig.e);
    }

    static KeyPair other_keys_;
};

KeyPair SignVerifyApi::other_keys_;

TEST_F(SignVerifyApi, RoundTripsForManyMessages) {
    const std::string cases[] = {
        "",
        "a",
        "hello, world",
        "\x80\x81\xfe\xff\xc3\xa9",            // bytes above 0x7f, signed as they are
        std::string(135, 'r'),                 // around the digest's block size
        std::string(136, 'r'),
        std::string(5000, '\x7f'),
    };
    for (const std::string &message : cases) {
        const Signature sig = Sign(keys_.priv, message.c_str());
        EXPECT_EQ(Verify(keys_.pub, message.c_str(), sig), 0) << message.size();
        EXPECT_EQ(Verify(other_keys_.pub, message.c_str(), sig), -1) << message.size();
    }
}

TEST_F(SignVerifyApi, OnlyBytesBeforeTheFirstNulAreSigned) {
    const char signed_buffer[] = "abc\0def";
    const Signature sig = Sign(keys_.priv, signed_buffer);
    struct Case {
        const char *buffer;
        int32_t result;
    };
    const Case cases[] = {{"abc", 0}, {"abc\0xyz", 0}, {"abcdef", -1}, {"ab", -1}};
    for (const Case &c : cases) {
        EXPECT_EQ(Verify(keys_.pub, c.buffer, sig), c.result) << c.buffer;
    }
}

TEST_F(SignVerifyApi, ChangedMessageByteFails) {
    const std::string message = "transfer 100 to account 42";
    const Signature sig = Sign(keys_.priv, message.c_str());
    ASSERT_EQ(Verify(keys_.pub, message.c_str(), sig), 0);
    for (size_t i = 0; i < message.size(); ++i) {
        std::string changed = message;
        changed[i] = static_cast<char>(changed[i] ^ 0x01);
        EXPECT_EQ(Verify(keys_.pub, changed.c_str(), sig), -1) << i;
    }
    EXPECT_EQ(Verify(keys_.pub, (message + "!").c_str(), sig), -1);
    EXPECT_EQ(Verify(keys_.pub, message.substr(1).c_str(), sig), -1);
}

TEST_F(SignVerifyApi, ChangedChallengeOrResponseFails) {
    const char *message = "challenge";
    const Signature sig = Sign(keys_.priv, message);
    ASSERT_EQ(Verify(keys_.pub, message, sig), 0);
    const Signature changed[] = {
        {sig.s, sig.e + 1},
        {sig.s, sig.e - 1},
        {sig.s, sig.e ^ 0x40000000},
        {sig.s, -sig.e},
        {sig.s + 1, sig.e},
        {sig.s - 1, sig.e},
        {sig.e, sig.s},
    };
    for (const Signature &c : changed) {
        EXPECT_EQ(Verify(keys_.pub, message, c), -1) << c.s << " " << c.e;
    }
}

TEST_F(SignVerifyApi, CongruentResponsesVerifyAlike) {
    // The response acts only through its residue: s - n and s - 2n are still
    // above n and verify just the same.
    for (const char *message : {"first", "second", ""}) {
        const Signature sig = Sign(keys_.priv, message);
        ASSERT_EQ(Verify(keys_.pub, message, sig), 0);
        EXPECT_EQ(Verify(keys_.pub, message, {sig.s - kN, sig.e}), 0) << message;
        EXPECT_EQ(Verify(keys_.pub, message, {sig.s - 2 * kN, sig.e}), 0) << message;
    }
}

TEST_F(SignVerifyApi, ResponseAlwaysLiftedAndChallengeNonNegative) {
    for (int i = 0; i < 60; ++i) {
        const std::string message = "range " + std::to_string(i);
        const Signature sig = Sign(keys_.priv, message.c_str());
        EXPECT_GE(sig.s, kLowestResponse) << i;
        EXPECT_LE(sig.s, kHighestResponse) << i;
        // A redrawn signature never carries the challenges that cannot verify.
        EXPECT_GT(sig.e, 0) << i;
    }
}

TEST_F(SignVerifyApi, MalformedPrivateKeyWritesNothing) {
    std::string flipped = keys_.priv;
    flipped[10] = '!';
    const std::string cases[] = {
        "", "not a key", keys_.priv.substr(1), keys_.priv + "A", flipped,
    };
    for (const std::string &priv : cases) {
        int32_t s = 11;
        int32_t e = 22;
        EXPECT_EQ(sign(curve_, priv.c_str(), "m", &s, &e), -1) << priv;
        EXPECT_EQ(s, 11);
        EXPECT_EQ(e, 22);
    }
}

TEST_F(SignVerifyApi, MalformedPublicKeyFails) {
    const Signature sig = Sign(keys_.priv, "m");
    ASSERT_EQ(Verify(keys_.pub, "m", sig), 0);
    std::string flipped = keys_.pub;
    flipped[100] = '*';
    // (A text with its padding shortened is still well formed.)
    const std::string cases[] = {"", keys_.pub.substr(0, 341), keys_.pub + "=", flipped};
    for (const std::string &pub : cases) {
        EXPECT_EQ(Verify(pub, "m", sig), -1) << pub;
    }
}

TEST_F(SignVerifyApi, HandMadeScalarsStillSign) {
    // Keys that no nonce can make verifiable: sign still ends and answers 0
    // with a lifted response.
    const int64_t scalars[] = {0, -5, kN, 2 * static_cast<int64_t>(kN), INT64_MAX, INT64_MIN};
    for (const int64_t d : scalars) {
        const std::string priv = vessa_test::PackPrivate(d);
        ASSERT_FALSE(priv.empty());
        Signature sig{0, 0};
        EXPECT_EQ(sign(curve_, priv.c_str(), "hand made", &sig.s, &sig.e), 0) << d;
        EXPECT_GE(sig.s, kLowestResponse) << d;
        EXPECT_LE(sig.s, kHighestResponse) << d;
    }
}

TEST_F(SignVerifyApi, KeysWhosePublicPointHasZeroX) {
    // 30293*G and 69626*G are (0, 99990) and (0, 1).
    for (const int64_t d : {int64_t{30293}, int64_t{69626}}) {
        const KeyPair pair = KeyPairFor(curve_, d);
        for (const char *message : {"zero", "x", ""}) {
            EXPECT_EQ(Verify(pair.pub, message, Sign(pair.priv, message)), 0) << d;
        }
    }
}

TEST_F(SignVerifyApi, ThreadsSignAndVerifyWithOneCurve) {
    constexpr int kThreads = 4;
    constexpr int kPerThread = 5;
    std::vector<int> failures(kThreads, 0);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t, &failures] {
            for (int i = 0; i < kPerThread; ++i) {
                const std::string message = "thread " + std::to_string(t * 100 + i);
                Signature sig{0, 0};
                if (sign(curve_, keys_.priv.c_str(), message.c_str(), &sig.s, &sig.e) != 0 ||
                    verify(curve_, keys_.pub.c_str(), message.c_str(), sig.s, sig.e) != 0) {
                    ++failures[static_cast<size_t>(t)];
                }
            }
        });
    }
    for (std::thread &thread : threads) {
        thread.join();
    }
    EXPECT_EQ(failures, std::vector<int>(kThreads, 0));
}

// Every signature made for a generated key verifies. Fresh key pairs and
// messages each time, so the rare draws that need a redraw turn up.
TEST_F(SignVerifyApi, LargeSigningRoundTrip) {
    constexpr int kKeys = 100;
    constexpr int kSignaturesPerKey = 500;
    int failures = 0;
    for (int k = 0; k < kKeys; ++k) {
        const KeyPair pair = GenerateKeyPair(curve_);
        ASSERT_FALSE(pair.pub.empty());
        for (int i = 0; i < kSignaturesPerKey; ++i) {
            const std::string message = std::to_string(k) + ":" + std::to_string(i);
            Signature sig{0, 0};
            ASSERT_EQ(sign(curve_, pair.priv.c_str(), message.c_str(), &sig.s, &sig.e), 0);
            if (verify(curve_, pair.pub.c_str(), message.c_str(), sig.s, sig.e) != 0) {
                ++failures;
                ADD_FAILURE() << "key " << k << " message " << message << " s=" << sig.s
                              << " e=" << sig.e;
            }
        }
    }
    EXPECT_EQ(failures, 0);
}

// ---- Interface 1.1: messages as bytes and as absorbed states --------------

std::vector<uint8_t> BytesOf(const std::string &text) { return {text.begin(), text.end()}; }

// The message absorbed in pieces whose lengths are drawn from `gen` (1 to
// max_piece bytes); a max_piece of 0 absorbs it in one piece.
VessaMessage Absorbed(const std::vector<uint8_t> &message, size_t max_piece, std::mt19937 &gen) {
    VessaMessage m;
    vessa_message_init(&m);
    size_t at = 0;
    while (at < message.size()) {
        size_t piece = message.size() - at;
        if (max_piece > 0) {
            piece = std::min(piece, std::uniform_int_distribution<size_t>(1, max_piece)(gen));
        }
        vessa_message_update(&m, message.data() + at, piece);
        vessa_message_update(&m, nullptr, 0);  // empty pieces change nothing
        at += piece;
    }
    return m;
}

TEST_F(SignVerifyApi, EveryFormAcceptsWhatEveryOtherMakes) {
    // Messages without NUL: text, bytes and streamed signatures are one kind.
    std::mt19937 gen(7);
    const std::string messages[] = {"", "a", "hello, world", std::string(136, 'r'),
                                    std::string(1000, '\xfe')};
    for (const std::string &text : messages) {
        const std::vector<uint8_t> bytes = BytesOf(text);
        const VessaMessage streamed = Absorbed(bytes, 50, gen);
        Signature made[3];
        made[0] = Sign(keys_.priv, text.c_str());
        ASSERT_EQ(vessa_sign_bytes(curve_, keys_.priv.c_str(), bytes.data(), bytes.size(),
                                   &made[1].s, &made[1].e), VESSA_OK);
        ASSERT_EQ(vessa_sign_message(curve_, keys_.priv.c_str(), &streamed, &made[2].s,
                                     &made[2].e), VESSA_OK);
        for (const Signature &sig : made) {
            EXPECT_EQ(Verify(keys_.pub, text.c_str(), sig), VESSA_OK) << text.size();
            EXPECT_EQ(vessa_verify_bytes(curve_, keys_.pub.c_str(), bytes.data(), bytes.size(),
                                         sig.s, sig.e), VESSA_OK) << text.size();
            EXPECT_EQ(vessa_verify_message(curve_, keys_.pub.c_str(), &streamed, sig.s, sig.e),
                      VESSA_OK) << text.size();
            EXPECT_EQ(vessa_verify_message(curve_, other_keys_.pub.c_str(), &streamed, sig.s,
                                           sig.e), VESSA_ERR_INVALID) << text.size();
        }
    }
}

TEST_F(SignVerifyApi, NulBytesAreSignedAndAnySplitGivesOneMessage) {
    std::mt19937 gen(11);
    std::vector<uint8_t> message(3000);
    for (uint8_t &byte : message) {
        byte = static_cast<uint8_t>(gen() % 4 == 0 ? 0 : gen());
    }
    message[0] = 0;
    Signature sig{0, 0};
    ASSERT_EQ(vessa_sign_bytes(curve_, keys_.priv.c_str(), message.data(), message.size(),
                               &sig.s, &sig.e), VESSA_OK);
    for (const size_t max_piece : {size_t{0}, size_t{1}, size_t{7}, size_t{135}, size_t{137},
                                   size_t{2000}}) {
        for (int round = 0; round < 3; ++round) {
            const VessaMessage m = Absorbed(message, max_piece, gen);
            EXPECT_EQ(vessa_verify_message(curve_, keys_.pub.c_str(), &m, sig.s, sig.e),
                      VESSA_OK) << max_piece;
        }
    }
    // The bytes after a NUL count: a shorter or changed message fails, and
    // the text form, which stops at the first NUL, sees another message.
    std::vector<uint8_t> changed = message;
    changed.back() ^= 1;
    EXPECT_EQ(vessa_verify_bytes(curve_, keys_.pub.c_str(), changed.data(), changed.size(), sig.s,
                                 sig.e), VESSA_ERR_INVALID);
    EXPECT_EQ(vessa_verify_bytes(curve_, keys_.pub.c_str(), message.data(), message.size() - 1,
                                 sig.s, sig.e), VESSA_ERR_INVALID);
    EXPECT_EQ(Verify(keys_.pub, reinterpret_cast<const char *>(message.data()), sig),
              VESSA_ERR_INVALID);
}

TEST_F(SignVerifyApi, SigningAStateLeavesItForOtherKeys) {
    std::mt19937 gen(3);
    const VessaMessage m = Absorbed(BytesOf("one pass, two signers"), 5, gen);
    VessaMessage before;
    std::memcpy(&before, &m, sizeof(m));
    for (const KeyPair *pair : {&keys_, &other_keys_}) {
        Signature sig{0, 0};
        ASSERT_EQ(vessa_sign_message(curve_, pair->priv.c_str(), &m, &sig.s, &sig.e), VESSA_OK);
        EXPECT_EQ(vessa_verify_message(curve_, pair->pub.c_str(), &m, sig.s, sig.e), VESSA_OK);
        EXPECT_EQ(Verify(pair->pub, "one pass, two signers", sig), VESSA_OK);
    }
    EXPECT_EQ(std::memcmp(&before, &m, sizeof(m)), 0);
    VessaMessage wiped = m;
    vessa_message_wipe(&wiped);
    const VessaMessage zero{};
    EXPECT_EQ(std::memcmp(&wiped, &zero, sizeof(zero)), 0);
}

TEST_F(SignVerifyApi, ByteFormsWithAMalformedKeyWriteNothing) {
    const std::string bad = keys_.priv.substr(1);
    VessaMessage m;
    vessa_message_init(&m);
    int32_t s = 11;
    int32_t e = 22;
    EXPECT_EQ(vessa_sign_bytes(curve_, bad.c_str(), nullptr, 0, &s, &e), VESSA_ERR_INVALID);
    EXPECT_EQ(vessa_sign_message(curve_, bad.c_str(), &m, &s, &e), VESSA_ERR_INVALID);
    EXPECT_EQ(s, 11);
    EXPECT_EQ(e, 22);
    const Signature sig = Sign(keys_.priv, "");
    EXPECT_EQ(vessa_verify_bytes(curve_, bad.c_str(), nullptr, 0, sig.s, sig.e), VESSA_ERR_INVALID);
    EXPECT_EQ(vessa_verify_message(curve_, bad.c_str(), &m, sig.s, sig.e), VESSA_ERR_INVALID);
    EXPECT_EQ(vessa_verify_message(curve_, keys_.pub.c_str(), &m, sig.s, sig.e), VESSA_OK);
}

}  // namespace
