// The generator's operating-system source under a real kernel refusal: a
// seccomp filter, installed in a forked child, makes getrandom (and, where
// asked, opening files) fail with a chosen errno. Threads started after the
// filter inherit it, so their first draw keys a generator under it.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/audit.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdlib>
#include <set>
#include <thread>

#include "random/thread_rng.h"

namespace vessa {
namespace {

constexpr unsigned kAllow = 0;

// Makes getrandom fail with `getrandom_errno`, and open/openat with
// `open_errno` unless that is kAllow. Returns false if the kernel refuses
// the filter.
bool RefuseRandomSources(unsigned getrandom_errno, unsigned open_errno) {
    const auto open_action = open_errno == kAllow ? SECCOMP_RET_ALLOW
                                                  : (SECCOMP_RET_ERRNO | (open_errno & SECCOMP_RET_DATA));
    sock_filter filter[] = {
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, arch)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, AUDIT_ARCH_X86_64, 1, 0),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, SYS_getrandom, 0, 1),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | (getrandom_errno & SECCOMP_RET_DATA)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, SYS_openat, 1, 0),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, SYS_open, 0, 1),
        BPF_STMT(BPF_RET | BPF_K, open_action),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
    };
    sock_fprog program{static_cast<unsigned short>(sizeof(filter) / sizeof(filter[0])), filter};
    return ::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 &&
           ::prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) == 0;
}

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

// Whether this kernel lets an unprivileged process install a filter at all.
bool FiltersWork() {
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::_exit(RefuseRandomSources(EPERM, kAllow) ? 0 : 1);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

class RandomSeccompTest : public ::testing::Test {
protected:
    void SetUp() override {
        GTEST_FLAG_SET(death_test_style, "threadsafe");
        if (!FiltersWork()) {
            GTEST_SKIP() << "seccomp filters are not available here";
        }
    }
};

TEST_F(RandomSeccompTest, MissingOrRefusedGetrandomFallsBackToTheDevice) {
    for (const unsigned err : {unsigned{ENOSYS}, unsigned{EPERM}}) {
        EXPECT_EXIT(
            {
                if (!RefuseRandomSources(err, kAllow)) std::_Exit(3);
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
            if (!RefuseRandomSources(EINVAL, kAllow)) std::_Exit(3);
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
