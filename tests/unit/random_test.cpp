// The per-thread generator and RandomRange.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

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

TEST(ThreadRng, ThreadsHaveIndependentStreams) {
    std::vector<uint32_t> a;
    std::vector<uint32_t> b;
    std::thread ta([&] {
        for (int i = 0; i < 64; ++i) a.push_back(thread_rng().NextU32());
    });
    std::thread tb([&] {
        for (int i = 0; i < 64; ++i) b.push_back(thread_rng().NextU32());
    });
    ta.join();
    tb.join();
    EXPECT_NE(a, b);
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

TEST_F(OsEntropyTest, RekeyFailureKeepsTheCurrentKey) {
    ChaChaRng rng(SeedKey(9));
    SetGetrandomForTesting(&GetrandomBroken);
    for (int i = 0; i < 3 * 16384; ++i) {
        rng.NextU32();
    }
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
