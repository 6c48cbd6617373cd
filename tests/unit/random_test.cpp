// The per-thread generator and RandomRange.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <set>
#include <thread>
#include <utility>
#include <vector>

#include "random/os_entropy.h"
#include "random/random_range.h"
#include "random/thread_rng.h"

namespace vessa {
namespace {

ChaChaKey SeedKey(uint32_t tag) {
    ChaChaKey key{};
    key[0] = tag;
    return key;
}

// The ChaCha20 keystream written out here from RFC 8439, byte-oriented, apart
// from the library's block function: block `counter` under `key` (the key's
// words as their 32 little-endian bytes) and a zero nonce, as 16 words.
std::array<uint32_t, 16> ReferenceBlock(const ChaChaKey &key, uint32_t counter) {
    uint8_t key_bytes[32];
    for (size_t i = 0; i < 32; ++i) {
        key_bytes[i] = static_cast<uint8_t>(key[i / 4] >> (8 * (i % 4)));
    }
    const auto word_at = [](const uint8_t *b) {
        return uint32_t{b[0]} | uint32_t{b[1]} << 8 | uint32_t{b[2]} << 16 | uint32_t{b[3]} << 24;
    };
    std::array<uint32_t, 16> x = {0x61707865, 0x3320646e, 0x79622d32, 0x6b206574};
    for (size_t i = 0; i < 8; ++i) x[4 + i] = word_at(key_bytes + 4 * i);
    x[12] = counter;
    const std::array<uint32_t, 16> in = x;
    const auto quarter = [&x](size_t a, size_t b, size_t c, size_t d) {
        const auto rotl = [](uint32_t v, int n) { return (v << n) | (v >> (32 - n)); };
        x[a] += x[b]; x[d] = rotl(x[d] ^ x[a], 16);
        x[c] += x[d]; x[b] = rotl(x[b] ^ x[c], 12);
        x[a] += x[b]; x[d] = rotl(x[d] ^ x[a], 8);
        x[c] += x[d]; x[b] = rotl(x[b] ^ x[c], 7);
    };
    for (int i = 0; i < 10; ++i) {
        quarter(0, 4, 8, 12), quarter(1, 5, 9, 13), quarter(2, 6, 10, 14), quarter(3, 7, 11, 15);
        quarter(0, 5, 10, 15), quarter(1, 6, 11, 12), quarter(2, 7, 8, 13), quarter(3, 4, 9, 14);
    }
    for (size_t i = 0; i < 16; ++i) x[i] += in[i];
    return x;
}

// Words `first` .. `first + count` of the keystream of `key`.
std::vector<uint32_t> ReferenceWords(const ChaChaKey &key, uint64_t first, size_t count) {
    std::vector<uint32_t> words;
    for (uint64_t w = first; w < first + count; ++w) {
        words.push_back(ReferenceBlock(key, static_cast<uint32_t>(w / 16))[w % 16]);
    }
    return words;
}

template <typename Source>
std::vector<uint32_t> Draw(Source &&source, size_t count) {
    std::vector<uint32_t> words;
    for (size_t i = 0; i < count; ++i) words.push_back(source.NextU32());
    return words;
}

TEST(ChaChaRng, ReferenceKeystreamMatchesThePublishedBlock) {
    // RFC 8439, A.1, test vectors 1 and 2: all-zero key and nonce.
    EXPECT_EQ(ReferenceBlock(ChaChaKey{}, 0)[0], 0xade0b876U);
    EXPECT_EQ(ReferenceBlock(ChaChaKey{}, 1)[0], 0xbee7079fU);
}

TEST(ChaChaRng, WordsAreTheKeystreamBlocksOfItsKeyInOrder) {
    ChaChaRng rng(SeedKey(11));
    EXPECT_EQ(Draw(rng, 3 * 16 + 5), ReferenceWords(SeedKey(11), 0, 3 * 16 + 5));
}

// A word source that replays a script, for testing the rejection rule.
struct ScriptedWords {
    std::vector<uint32_t> words;
    size_t next = 0;
    uint32_t NextU32() { return words.at(next++); }
};

TEST(RandomRange, SingleValueRangeAlwaysGivesItsValue) {
    ChaChaRng rng(SeedKey(1));
    for (int i = 0; i < 1000; ++i) {
        ASSERT_EQ(RandomRange(rng, int64_t{5}, int64_t{6}), 5);
        ASSERT_EQ(RandomRange(rng, uint8_t{5}, uint8_t{6}), 5);
    }
}

TEST(RandomRange, FillerRangeNeverGivesZeroOrFF) {
    ChaChaRng rng(SeedKey(2));
    std::set<int> seen;
    for (int i = 0; i < 100000; ++i) {
        const uint8_t v = RandomRange(rng, uint8_t{1}, uint8_t{255});
        ASSERT_GE(v, 1);
        ASSERT_LE(v, 254);
        seen.insert(v);
    }
    EXPECT_EQ(seen.size(), 254U);
}

TEST(RandomRange, KeyRangeCoversEveryValueAndNothingElse) {
    ChaChaRng rng(SeedKey(3));
    const int64_t low = 14274;
    const int64_t high = 99919;
    std::vector<bool> seen(static_cast<size_t>(high - low), false);
    size_t missing = seen.size();
    for (int i = 0; i < 4000000 && missing > 0; ++i) {
        const int64_t v = RandomRange(rng, low, high);
        ASSERT_GE(v, low);
        ASSERT_LT(v, high);
        auto slot = seen[static_cast<size_t>(v - low)];
        if (!slot) {
            slot = true;
            --missing;
        }
    }
    EXPECT_EQ(missing, 0U);
}

TEST(RandomRange, ExtremeBoundsDoNotOverflow) {
    ChaChaRng rng(SeedKey(4));
    for (int i = 0; i < 1000; ++i) {
        const int64_t v = RandomRange(rng, INT64_MIN, INT64_MAX);
        ASSERT_LT(v, INT64_MAX);
        const int64_t w = RandomRange(rng, int64_t{-3}, int64_t{-1});
        ASSERT_TRUE(w == -3 || w == -2);
    }
}

TEST(RandomRange, BiasedAttemptsAreDiscarded) {
    // 2^32 mod 254 = 16: words below 16 would favour the low values.
    ScriptedWords bytes{{0, 15, 16 + 300}};
    EXPECT_EQ(RandomRange(bytes, uint8_t{1}, uint8_t{255}), 1 + (16 + 300) % 254);
    EXPECT_EQ(bytes.next, 3U);
    // 64-bit: one attempt takes two words, the earlier one the low half.
    ScriptedWords wide{{0, 0, 7, 1}};
    const uint64_t range = 85645;
    const uint64_t word = 7 | (uint64_t{1} << 32);
    EXPECT_EQ(RandomRange(wide, int64_t{14274}, int64_t{99919}),
              static_cast<int64_t>(14274 + word % range));
    EXPECT_EQ(wide.next, 4U);  // (0, 0) lies below 2^64 mod range: rejected
}

using RandomRangeDeathTest = ::testing::Test;

TEST(RandomRangeDeathTest, EmptyRangeStopsTheProcess) {
    ChaChaRng rng(SeedKey(5));
    EXPECT_DEATH(RandomRange(rng, int64_t{7}, int64_t{7}), "UniformSampler::sample_single: low >= high");
    EXPECT_DEATH(RandomRange(rng, uint8_t{9}, uint8_t{3}), "UniformSampler::sample_single: low >= high");
}

TEST(ChaChaRng, RekeysAfter65536Bytes) {
    ChaChaRng rng(SeedKey(6));
    for (int i = 0; i < 16384; ++i) {
        rng.NextU32();
    }
    EXPECT_EQ(rng.BytesSinceKeying(), 65536U);
    EXPECT_EQ(rng.RekeyCount(), 0U);
    rng.NextU32();
    EXPECT_EQ(rng.RekeyCount(), 1U);
    EXPECT_EQ(rng.BytesSinceKeying(), 64U);
}

TEST(ChaChaRng, SameSeedSameStreamUntilRekey) {
    ChaChaRng a(SeedKey(7));
    ChaChaRng b(SeedKey(7));
    for (int i = 0; i < 1000; ++i) {
        ASSERT_EQ(a.NextU32(), b.NextU32());
    }
}

// Reads `count` words in a forked child and returns them through a pipe.
std::vector<uint32_t> WordsFromChild(ChaChaRng *rng, int count) {
    int fds[2];
    EXPECT_EQ(pipe(fds), 0);
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        for (int i = 0; i < count; ++i) {
            const uint32_t w = rng != nullptr ? rng->NextU32() : thread_rng().NextU32();
            if (write(fds[1], &w, sizeof(w)) != static_cast<ssize_t>(sizeof(w))) {
                _exit(2);
            }
        }
        _exit(0);
    }
    close(fds[1]);
    std::vector<uint32_t> words(static_cast<size_t>(count));
    size_t got = 0;
    auto *bytes = reinterpret_cast<char *>(words.data());
    while (got < words.size() * sizeof(uint32_t)) {
        const ssize_t n = read(fds[0], bytes + got, words.size() * sizeof(uint32_t) - got);
        if (n <= 0) {
            break;
        }
        got += static_cast<size_t>(n);
    }
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(got, words.size() * sizeof(uint32_t));
    return words;
}

TEST(ChaChaRng, ChildNeverRepeatsWordsBufferedInTheParent) {
    ChaChaRng rng(SeedKey(8));
    for (int i = 0; i < 5; ++i) {
        rng.NextU32();  // part of a block is now buffered
    }
    const std::vector<uint32_t> child = WordsFromChild(&rng, 16);
    std::vector<uint32_t> parent;
    for (int i = 0; i < 16; ++i) {
        parent.push_back(rng.NextU32());
    }
    EXPECT_NE(child, parent);
    // The parent's stream continues the seeded keystream unchanged.
    ChaChaRng twin(SeedKey(8));
    for (int i = 0; i < 5; ++i) {
        twin.NextU32();
    }
    for (uint32_t w : parent) {
        EXPECT_EQ(twin.NextU32(), w);
    }
}

TEST(ThreadRng, ParentAndChildDiffer) {
    thread_rng().NextU32();
    const std::vector<uint32_t> child = WordsFromChild(nullptr, 8);
    std::vector<uint32_t> parent;
    for (int i = 0; i < 8; ++i) {
        parent.push_back(thread_rng().NextU32());
    }
    EXPECT_NE(child, parent);
}

// A stand-in for the kernel that hands out a different, recognisable key on
// each call: word 0 counts the calls.
std::atomic<uint32_t> g_keys_handed_out{0};

ChaChaKey NumberedKey(uint32_t number) {
    ChaChaKey key{number, 0x1234567, 0x89abcdef, 3, 4, 5, 6, 7};
    return key;
}

long NumberedKeyGetrandom(void *buf, size_t len, unsigned) {
    const ChaChaKey key = NumberedKey(g_keys_handed_out.fetch_add(1) + 1);
    std::memcpy(buf, key.data(), std::min(len, sizeof(key)));
    return static_cast<long>(std::min(len, sizeof(key)));
}

// Each thread's words are the keystream of a key of its own from block 0 on:
// one generator shared between threads would give some thread a stream that
// starts elsewhere, and generators keyed once per process would share a key.
TEST(ThreadRng, EachThreadDrawsTheKeystreamOfItsOwnKey) {
    SetGetrandomForTesting(&NumberedKeyGetrandom);
    constexpr size_t kThreads = 4;
    constexpr size_t kWords = 40;
    std::vector<std::vector<uint32_t>> drawn(kThreads);
    std::vector<std::thread> threads;
    for (auto &words : drawn) {
        threads.emplace_back([&words] { words = Draw(thread_rng(), kWords); });
    }
    for (auto &t : threads) t.join();
    SetGetrandomForTesting(nullptr);
    std::set<uint32_t> keys_used;
    for (const auto &words : drawn) {
        uint32_t key_number = 0;
        for (uint32_t k = 1; k <= g_keys_handed_out.load(); ++k) {
            if (words == ReferenceWords(NumberedKey(k), 0, kWords)) key_number = k;
        }
        EXPECT_NE(key_number, 0U) << "a thread's words are no keystream's start";
        EXPECT_TRUE(keys_used.insert(key_number).second) << "two threads drew under one key";
    }
}

std::atomic<int> g_late_draw{-1};

struct DrawsInItsDestructor {
    ~DrawsInItsDestructor() {
        auto rng = thread_rng();
        g_late_draw = RandomRange(rng, uint8_t{1}, uint8_t{255});
    }
};

TEST(ThreadRng, DrawDuringThreadTeardownUsesAOneOffGenerator) {
    std::thread t([] {
        thread_local DrawsInItsDestructor client;  // constructed first, destroyed last
        (void)&client;
        thread_rng().NextU32();
    });
    t.join();
    EXPECT_GE(g_late_draw.load(), 1);
    EXPECT_LE(g_late_draw.load(), 254);
}

long GetrandomMissing(void *, size_t, unsigned) {
    errno = ENOSYS;
    return -1;
}

long GetrandomRefused(void *, size_t, unsigned) {
    errno = EPERM;
    return -1;
}

long GetrandomBroken(void *, size_t, unsigned) {
    errno = EIO;
    return -1;
}

long GetrandomInterruptedOnce(void *buf, size_t len, unsigned) {
    static bool interrupted = false;
    if (!interrupted) {
        interrupted = true;
        errno = EINTR;
        return -1;
    }
    // Deliver one byte at a time: short reads must be continued.
    static_cast<unsigned char *>(buf)[0] = 0xA5;
    (void)len;
    return 1;
}

class OsEntropyTest : public ::testing::Test {
protected:
    void TearDown() override {
        SetGetrandomForTesting(nullptr);
        SetUrandomPathForTesting(nullptr);
    }
};

TEST_F(OsEntropyTest, FallsBackToTheDeviceWhenTheCallIsMissingOrRefused) {
    for (GetrandomFn fn : {&GetrandomMissing, &GetrandomRefused}) {
        SetGetrandomForTesting(fn);
        uint8_t bytes[32] = {};
        ASSERT_EQ(OsRandomBytes(bytes, sizeof(bytes)), 0);
        uint8_t zeros[32] = {};
        EXPECT_NE(std::memcmp(bytes, zeros, sizeof(bytes)), 0);
    }
}

TEST_F(OsEntropyTest, OtherErrorsAreReported) {
    SetGetrandomForTesting(&GetrandomBroken);
    uint8_t bytes[32];
    EXPECT_EQ(OsRandomBytes(bytes, sizeof(bytes)), EIO);
    SetGetrandomForTesting(&GetrandomMissing);
    SetUrandomPathForTesting("/nonexistent/urandom");
    EXPECT_EQ(OsRandomBytes(bytes, sizeof(bytes)), ENOENT);
}

TEST_F(OsEntropyTest, InterruptedAndShortReadsAreRetried) {
    SetGetrandomForTesting(&GetrandomInterruptedOnce);
    uint8_t bytes[8] = {};
    ASSERT_EQ(OsRandomBytes(bytes, sizeof(bytes)), 0);
    for (uint8_t b : bytes) {
        EXPECT_EQ(b, 0xA5);
    }
}

TEST_F(OsEntropyTest, RekeyStartsTheNewKeysKeystream) {
    ChaChaRng rng(SeedKey(9));
    Draw(rng, 16384);
    SetGetrandomForTesting(&NumberedKeyGetrandom);
    const std::vector<uint32_t> after = Draw(rng, 20);
    EXPECT_EQ(after, ReferenceWords(NumberedKey(g_keys_handed_out.load()), 0, 20));
}

TEST_F(OsEntropyTest, RekeyFailureContinuesTheCurrentKeystream) {
    ChaChaRng rng(SeedKey(9));
    SetGetrandomForTesting(&GetrandomBroken);
    Draw(rng, 2 * 16384);  // two re-keying points pass, each failing
    EXPECT_EQ(Draw(rng, 20), ReferenceWords(SeedKey(9), 2 * 16384, 20));
    EXPECT_EQ(rng.RekeyCount(), 0U);
}

using OsEntropyDeathTest = OsEntropyTest;

TEST_F(OsEntropyDeathTest, GeneratorCreationStopsWhenNoSourceWorks) {
    SetGetrandomForTesting(&GetrandomMissing);
    SetUrandomPathForTesting("/nonexistent/urandom");
    EXPECT_DEATH({ ChaChaRng rng; }, "could not initialize thread_rng: No such file or directory");
}

}  // namespace
}  // namespace vessa
