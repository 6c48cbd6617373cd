// Many threads sharing one curve context: key generation, key texts,
// signatures and encryption at once, every result checked, and repeated
// context and key cycles without growth in memory. Sizes scale with the
// environment variable VESSA_STRESS_SCALE (default 1).
#include <gtest/gtest.h>
#include <malloc.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "api_helpers.h"
#include "vessa.h"

namespace {

using vessa_test::GenerateKeyPair;
using vessa_test::KeyPair;

int Scale() {
    const char *text = std::getenv("VESSA_STRESS_SCALE");
    const int scale = text != nullptr ? std::atoi(text) : 1;
    return scale > 0 ? scale : 1;
}

// Collects failures from worker threads; gtest assertions stay on the main
// thread.
class Failures {
public:
    void Add(const std::string &what) {
        std::lock_guard<std::mutex> lock(mutex_);
        if (messages_.size() < 20) {
            messages_.push_back(what);
        }
        ++count_;
    }
    int count() const { return count_.load(); }
    std::string Summary() {
        std::lock_guard<std::mutex> lock(mutex_);
        std::string all;
        for (const auto &m : messages_) {
            all += m + "\n";
        }
        return all;
    }

private:
    std::mutex mutex_;
    std::vector<std::string> messages_;
    std::atomic<int> count_{0};
};

#define STRESS_EXPECT(failures, cond, context)                              \
    do {                                                                    \
        if (!(cond)) {                                                      \
            (failures).Add(std::string(context) + ": " #cond);              \
        }                                                                   \
    } while (0)

struct SignedMessage {
    std::string pub;
    std::string msg;
    int32_t s = 0;
    int32_t e = 0;
};

// One round of everything a client does with a shared curve.
void OneRound(const EccCurve *curve, int thread, int round, Failures &failures,
              std::vector<SignedMessage> &made) {
    const std::string where = "thread " + std::to_string(thread) + " round " + std::to_string(round);
    const KeyPair keys = GenerateKeyPair(curve);
    STRESS_EXPECT(failures, !keys.priv.empty() && !keys.pub.empty(), where);
    if (keys.priv.empty() || keys.pub.empty()) {
        return;
    }
    int64_t d = 0;
    STRESS_EXPECT(failures, resolve_private(keys.priv.c_str(), &d) == 0, where);
    STRESS_EXPECT(failures, d >= 14274 && d < 99919, where);
    int64_t x = 0;
    int64_t y = 0;
    STRESS_EXPECT(failures, resolve_public(keys.pub.c_str(), &x, &y) == 0, where);
    // Re-packing on this thread gives a new text of the same key.
    const std::string repacked = vessa_test::PackPublic(x, y);
    int64_t x2 = 0;
    int64_t y2 = 0;
    STRESS_EXPECT(failures, repacked != keys.pub, where);
    STRESS_EXPECT(failures,
                  resolve_public(repacked.c_str(), &x2, &y2) == 0 && x2 == x && y2 == y, where);

    SignedMessage sm{keys.pub, "message " + where, 0, 0};
    STRESS_EXPECT(failures, sign(curve, keys.priv.c_str(), sm.msg.c_str(), &sm.s, &sm.e) == 0,
                  where);
    STRESS_EXPECT(failures, verify(curve, keys.pub.c_str(), sm.msg.c_str(), sm.s, sm.e) == 0,
                  where);
    char hex[VESSA_SIGNATURE_TEXT_SIZE];
    STRESS_EXPECT(failures,
                  sign_to_hex_string(curve, keys.priv.c_str(), sm.msg.c_str(), hex, sizeof(hex)) == 0,
                  where);
    STRESS_EXPECT(failures,
                  verify_from_hex_string(curve, keys.pub.c_str(), sm.msg.c_str(), hex) == 0, where);
    made.push_back(sm);

    const std::string text = "text " + where;
    std::vector<uint8_t> ct(text.size() * VESSA_CIPHERTEXT_ENTRY_SIZE);
    const auto size = static_cast<int32_t>(ct.size());
    STRESS_EXPECT(failures, encrypt_string(curve, keys.pub.c_str(), text.c_str(), ct.data(), size) == size,
                  where);
    std::string back(text.size() + 1, '\0');
    STRESS_EXPECT(failures,
                  decrypt_to_string(curve, keys.priv.c_str(), ct.data(), size, back.data(),
                                    static_cast<int32_t>(back.size())) ==
                          static_cast<int32_t>(text.size()) &&
                      back.compare(0, text.size(), text) == 0,
                  where);
    EccCiphertext value_ct{};
    uint8_t value = 0;
    const auto plain = static_cast<uint8_t>(round * 37 + thread);
    STRESS_EXPECT(failures,
                  encrypt(curve, keys.pub.c_str(), plain, &value_ct) == 0 &&
                      decrypt(curve, keys.priv.c_str(), &value, value_ct) == 0 && value == plain,
                  where);
}

TEST(StressThreads, SharedCurveServesEveryOperationAtOnce) {
    EccCurve *curve = ecc_new();
    ASSERT_NE(curve, nullptr);
    const EccCurve before = *curve;
    const int threads = 4;
    const int rounds = 50 * Scale();
    Failures failures;
    std::vector<std::vector<SignedMessage>> made(threads);
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t) {
        workers.emplace_back([&, t] {
            for (int r = 0; r < rounds; ++r) {
                OneRound(curve, t, r, failures, made[static_cast<size_t>(t)]);
            }
        });
    }
    for (auto &w : workers) {
        w.join();
    }
    EXPECT_EQ(failures.count(), 0) << failures.Summary();
    // Signatures made on one thread verify on another, and the context was
    // only read.
    for (const auto &per_thread : made) {
        ASSERT_EQ(per_thread.size(), static_cast<size_t>(rounds));
        for (const auto &sm : per_thread) {
            EXPECT_EQ(verify(curve, sm.pub.c_str(), sm.msg.c_str(), sm.s, sm.e), 0) << sm.msg;
        }
    }
    EXPECT_EQ(std::memcmp(&before, curve, sizeof(EccCurve)), 0);
    ecc_destroy(curve);
}

// Heap bytes in use; under a sanitizer's allocator this reads 0 and the
// sanitizer's own leak check takes over.
size_t HeapInUse() { return mallinfo2().uordblks; }

TEST(StressMemory, ContextCyclesDoNotGrowTheHeap) {
    const int cycles = 2000 * Scale();
    for (int i = 0; i < 10; ++i) {
        ecc_destroy(ecc_new());  // let the allocator settle
    }
    const size_t before = HeapInUse();
    for (int i = 0; i < cycles; ++i) {
        EccCurve *curve = ecc_new();
        ASSERT_NE(curve, nullptr);
        ASSERT_EQ(curve->n, 99919);
        ecc_destroy(curve);
    }
    EXPECT_LE(HeapInUse(), before + 1024);
}

TEST(StressMemory, KeyAndSignatureCyclesDoNotGrowTheHeap) {
    EccCurve *curve = ecc_new();
    ASSERT_NE(curve, nullptr);
    const KeyPair keys = GenerateKeyPair(curve);
    ASSERT_FALSE(keys.pub.empty());
    const auto round = [&] {
        char priv[VESSA_KEY_TEXT_SIZE];
        char hex[VESSA_SIGNATURE_TEXT_SIZE];
        uint8_t ct[12 * 4];
        char back[5];
        return ecc_generate_private(curve, priv, sizeof(priv)) == VESSA_KEY_TEXT_LEN &&
               sign_to_hex_string(curve, keys.priv.c_str(), "msg", hex, sizeof(hex)) == 0 &&
               verify_from_hex_string(curve, keys.pub.c_str(), "msg", hex) == 0 &&
               encrypt_string(curve, keys.pub.c_str(), "four", ct, sizeof(ct)) == 48 &&
               decrypt_to_string(curve, keys.priv.c_str(), ct, 48, back, sizeof(back)) == 4;
    };
    ASSERT_TRUE(round());
    const size_t before = HeapInUse();
    for (int i = 0; i < 1000 * Scale(); ++i) {
        ASSERT_TRUE(round()) << i;
    }
    EXPECT_LE(HeapInUse(), before + 1024);
    ecc_destroy(curve);
}

}  // namespace
