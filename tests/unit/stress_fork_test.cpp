// Forking while other threads draw: the child's generator re-keys, so child
// and parent hand out different words, and the child makes valid keys.
// The number of forks scales with VESSA_STRESS_SCALE (default 1).
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cstdlib>
#include <set>
#include <thread>
#include <vector>

#include "random/thread_rng.h"
#include "vessa.h"

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

}  // namespace
}  // namespace vessa
