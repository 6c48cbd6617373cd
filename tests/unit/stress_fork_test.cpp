// Forking while other threads draw: the child's generator re-keys, so child
// and parent hand out different words, and the child makes valid keys. This
// holds for every kind of child, also those made without the at-fork
// handlers (_Fork, a raw clone), and with or without the kernel's wipe of the
// generator state; a child that cannot re-key stops rather than continue its
// parent's stream. The number of forks scales with VESSA_STRESS_SCALE
// (default 1).
#include <gtest/gtest.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <csignal>
#include <cstdlib>
#include <set>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "random/thread_rng.h"
#include "random_source_refusal.h"
#include "vessa.h"

#if defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define VESSA_TEST_TSAN 1
#endif
#endif

namespace vessa {
namespace {

constexpr int kWords = 8;

struct ChildReport {
    std::array<uint32_t, kWords> words{};
    int32_t keys_ok = 0;  // 1 when the child's key pair signs and verifies
};

int Scale() {
    const char *text = std::getenv("VESSA_STRESS_SCALE");
    const int scale = text != nullptr ? std::atoi(text) : 1;
    return scale > 0 ? scale : 1;
}

// In the child: words from the inherited thread's generator, and a key pair
// that must be a usable one.
ChildReport ChildWork(const EccCurve *curve) {
    ChildReport report;
    for (auto &w : report.words) {
        w = thread_rng().NextU32();
    }
    char priv[VESSA_KEY_TEXT_SIZE];
    char pub[VESSA_KEY_TEXT_SIZE];
    char sig[VESSA_SIGNATURE_TEXT_SIZE];
    int64_t d = 0;
    report.keys_ok = ecc_generate_private(curve, priv, sizeof(priv)) == VESSA_KEY_TEXT_LEN &&
                     resolve_private(priv, &d) == 0 && d >= 14274 && d < 99919 &&
                     ecc_generate_public(curve, priv, pub, sizeof(pub)) == VESSA_KEY_TEXT_LEN &&
                     sign_to_hex_string(curve, priv, "after fork", sig, sizeof(sig)) == 0 &&
                     verify_from_hex_string(curve, pub, "after fork", sig) == 0;
    return report;
}

bool ReadAll(int fd, void *out, size_t size) {
    auto *bytes = static_cast<char *>(out);
    while (size > 0) {
        const ssize_t n = ::read(fd, bytes, size);
        if (n <= 0) {
            return false;
        }
        bytes += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

TEST(StressFork, ChildOfABusyProcessDrawsItsOwnWordsAndMakesValidKeys) {
    EccCurve *curve = ecc_new();
    ASSERT_NE(curve, nullptr);
    std::atomic<bool> stop{false};
    std::atomic<uint64_t> drawn{0};
    std::vector<std::thread> drawers;
    for (int t = 0; t < 3; ++t) {
        drawers.emplace_back([&] {
            char buf[VESSA_KEY_TEXT_SIZE];
            while (!stop.load(std::memory_order_relaxed)) {
                thread_rng().NextU32();
                package_private(12345, buf, sizeof(buf));
                drawn.fetch_add(1, std::memory_order_relaxed);
            }
        });
    }
    while (drawn.load() < 100) {
        std::this_thread::yield();
    }

    const int forks = 8 * Scale();
    std::set<std::array<uint32_t, kWords>> seen;
    for (int f = 0; f < forks; ++f) {
        thread_rng().NextU32();  // leave part of a block buffered
        int fds[2];
        ASSERT_EQ(::pipe(fds), 0);
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            ::close(fds[0]);
            const ChildReport report = ChildWork(curve);
            const bool sent = ::write(fds[1], &report, sizeof(report)) ==
                              static_cast<ssize_t>(sizeof(report));
            ::_exit(sent ? 0 : 2);
        }
        ::close(fds[1]);
        ChildReport child;
        const bool got = ReadAll(fds[0], &child, sizeof(child));
        ::close(fds[0]);
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        ASSERT_TRUE(got);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        std::array<uint32_t, kWords> parent{};
        for (auto &w : parent) {
            w = thread_rng().NextU32();
        }
        EXPECT_NE(child.words, parent) << "fork " << f;
        EXPECT_EQ(child.keys_ok, 1) << "fork " << f;
        EXPECT_TRUE(seen.insert(child.words).second) << "two children repeated each other";
        EXPECT_TRUE(seen.insert(parent).second);
    }
    stop = true;
    for (auto &t : drawers) {
        t.join();
    }
    ecc_destroy(curve);
}

// Every way of making a child; only fork() runs the at-fork handlers.
struct ForkWay {
    const char *name;
    pid_t (*make)();
};

constexpr ForkWay kForkWays[] = {
    {"fork", [] { return ::fork(); }},
    {"_Fork", [] { return ::_Fork(); }},
    {"clone", [] { return static_cast<pid_t>(::syscall(SYS_clone, SIGCHLD, 0, 0, 0, 0)); }},
};

void PrintTo(const ForkWay &way, std::ostream *os) { *os << way.name; }

// In the child, right after the fork: one private key text to `out_fd`; with
// `refuse`, the random sources are refused first and stderr goes to `err_fd`.
[[noreturn]] void ChildMakesAKey(const EccCurve *curve, int out_fd, int err_fd, bool refuse) {
    ::alarm(30);  // a child stuck on a lock its parent's threads held fails the test
    if (refuse) {
        ::dup2(err_fd, STDERR_FILENO);
        if (!vessa_test::RefuseRandomSources(EPERM, EACCES)) {
            ::_exit(3);
        }
    }
    char key[VESSA_KEY_TEXT_SIZE];
    const bool made = ecc_generate_private(curve, key, sizeof(key)) == VESSA_KEY_TEXT_LEN &&
                      ::write(out_fd, key, VESSA_KEY_TEXT_LEN) == VESSA_KEY_TEXT_LEN;
    ::_exit(made ? 0 : 2);
}

std::string ReadToEnd(int fd) {
    std::string text;
    char chunk[512];
    ssize_t n = 0;
    while ((n = ::read(fd, chunk, sizeof(chunk))) > 0) {
        text.append(chunk, static_cast<size_t>(n));
    }
    return text;
}

// (way of forking, kernel wipe used, re-keying refused in the child)
class EveryKindOfChild
    : public ::testing::TestWithParam<std::tuple<ForkWay, bool, bool>> {};

TEST_P(EveryKindOfChild, NeverDrawsItsParentsKeys) {
    // Plain variables, not a structured binding: clang 14 cannot capture one.
    const ForkWay way = std::get<0>(GetParam());
    const bool wipe = std::get<1>(GetParam());
    const bool refuse = std::get<2>(GetParam());
#ifdef VESSA_TEST_TSAN
    if (std::string(way.name) != "fork") {
        GTEST_SKIP() << "the thread sanitizer's runtime needs its fork interceptor";
    }
#endif
    if (refuse && !vessa_test::SeccompFiltersWork()) {
        GTEST_SKIP() << "seccomp filters are not available here";
    }
    SetWipeOnForkForTesting(wipe);
    if (wipe && !ChaChaRng(ChaChaKey{}).WipedOnFork()) {
        SetWipeOnForkForTesting(true);
        GTEST_SKIP() << "this kernel lacks MADV_WIPEONFORK";
    }
    EccCurve *curve = ecc_new();
    ASSERT_NE(curve, nullptr);
    const int trials = 25 * Scale();
    std::vector<std::string> keys;
    // Children that exited after sending a key, or with re-keying refused,
    // stopped with the creation diagnostic.
    int children_as_expected = 0;
    // Generators are made under the chosen mode on fresh threads: three that
    // sign throughout, and the one that forks.
    std::atomic<bool> stop{false};
    std::vector<std::thread> signers;
    for (int t = 0; t < 3; ++t) {
        signers.emplace_back([&] {
            char key[VESSA_KEY_TEXT_SIZE];
            ecc_generate_private(curve, key, sizeof(key));
            int32_t s = 0;
            int32_t e = 0;
            while (!stop.load(std::memory_order_relaxed)) {
                sign(curve, key, "busy", &s, &e);
            }
        });
    }
    std::thread forker([&] {
        char key[VESSA_KEY_TEXT_SIZE];
        for (int trial = 0; trial < trials; ++trial) {
            ecc_generate_private(curve, key, sizeof(key));  // leaves words buffered
            int out[2];
            int err[2];
            if (::pipe(out) != 0 || ::pipe(err) != 0) {
                ADD_FAILURE() << "pipe";
                return;
            }
            const pid_t pid = way.make();
            if (pid == 0) {
                ChildMakesAKey(curve, out[1], err[1], refuse);
            }
            ::close(out[1]);
            ::close(err[1]);
            EXPECT_GT(pid, 0);
            EXPECT_EQ(ecc_generate_private(curve, key, sizeof(key)), VESSA_KEY_TEXT_LEN);
            keys.emplace_back(key);
            const std::string child_key = ReadToEnd(out[0]);
            const std::string child_err = ReadToEnd(err[0]);
            ::close(out[0]);
            ::close(err[0]);
            int status = 0;
            EXPECT_EQ(::waitpid(pid, &status, 0), pid);
            const bool stopped = WIFSIGNALED(status) && WTERMSIG(status) == SIGABRT &&
                                 child_err == "could not initialize thread_rng: Permission denied\n";
            const bool exited = WIFEXITED(status) && WEXITSTATUS(status) == 0;
            children_as_expected += (refuse ? stopped : exited) ? 1 : 0;
            if (!child_key.empty()) {
                keys.push_back(child_key);
            }
        }
    });
    forker.join();
    stop = true;
    for (auto &t : signers) {
        t.join();
    }
    SetWipeOnForkForTesting(true);
    ecc_destroy(curve);
    const size_t duplicates = keys.size() - std::set<std::string>(keys.begin(), keys.end()).size();
    EXPECT_EQ(duplicates, 0U) << duplicates << " duplicate keys among " << keys.size();
    EXPECT_EQ(keys.size(), static_cast<size_t>(refuse ? trials : 2 * trials));
    EXPECT_EQ(children_as_expected, trials);
}

INSTANTIATE_TEST_SUITE_P(
    Ways, EveryKindOfChild,
    ::testing::Combine(::testing::ValuesIn(kForkWays), ::testing::Bool(), ::testing::Bool()),
    [](const auto &param_info) {
        const char *way = std::get<0>(param_info.param).name;
        const std::string name = std::string(way[0] == '_' ? "UnderscoreFork" : way) +
                                 (std::get<1>(param_info.param) ? "_KernelWipe" : "_PidCheck");
        return name + (std::get<2>(param_info.param) ? "_RekeyRefused" : "_Rekeyed");
    });

}  // namespace
}  // namespace vessa
