// The generator's operating-system source under a real kernel refusal (a
// seccomp filter installed in a forked child). Threads started after the
// filter inherit it, so their first draw keys a generator under it.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <set>
#include <thread>

#include "random/thread_rng.h"
#include "random_source_refusal.h"

namespace vessa {
namespace {

using vessa_test::kAllowOpen;
using vessa_test::RefuseRandomSources;

// Draws `count` words on a fresh thread and reports whether they were not
// all alike (a generator keyed with something).
bool FreshThreadDraws(int count) {
    std::set<uint32_t> words;
    std::thread t([&] {
        for (int i = 0; i < count; ++i) {
            words.insert(thread_rng().NextU32());
        }
    });
    t.join();
    return words.size() > 1;
}

class RandomSeccompTest : public ::testing::Test {
protected:
    void SetUp() override {
        GTEST_FLAG_SET(death_test_style, "threadsafe");
        if (!vessa_test::SeccompFiltersWork()) {
            GTEST_SKIP() << "seccomp filters are not available here";
        }
    }
};

TEST_F(RandomSeccompTest, MissingOrRefusedGetrandomFallsBackToTheDevice) {
    for (const unsigned err : {unsigned{ENOSYS}, unsigned{EPERM}}) {
        EXPECT_EXIT(
            {
                if (!RefuseRandomSources(err, kAllowOpen)) std::_Exit(3);
                std::_Exit(FreshThreadDraws(64) ? 0 : 4);
            },
            ::testing::ExitedWithCode(0), "")
            << "errno " << err;
    }
}

TEST_F(RandomSeccompTest, NoSourceAtAllStopsTheProcessWithTheReason) {
    EXPECT_DEATH(
        {
            if (!RefuseRandomSources(ENOSYS, EACCES)) std::_Exit(3);
            FreshThreadDraws(1);
        },
        "could not initialize thread_rng: Permission denied");
}

TEST_F(RandomSeccompTest, OtherGetrandomErrorsAreNotMaskedByTheDevice) {
    EXPECT_DEATH(
        {
            if (!RefuseRandomSources(EINVAL, kAllowOpen)) std::_Exit(3);
            FreshThreadDraws(1);
        },
        "could not initialize thread_rng: Invalid argument");
}

TEST_F(RandomSeccompTest, RekeyingFailureIsSurvivedWithTheCurrentKey) {
    EXPECT_EXIT(
        {
            std::set<uint32_t> words;
            std::thread t([&] {
                auto rng = thread_rng();
                rng.NextU32();  // keyed while the sources still work
                if (!RefuseRandomSources(EPERM, EACCES)) std::_Exit(3);
                // Three re-keying points pass, each failing at the kernel.
                for (int i = 0; i < 3 * 16384; ++i) {
                    words.insert(rng.NextU32());
                }
            });
            t.join();
            std::_Exit(words.size() > 40000 ? 0 : 4);
        },
        ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace vessa
