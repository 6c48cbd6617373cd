// The per-thread random generator.
//
// Each thread owns a ChaCha20 keystream keyed with 32 bytes from the
// operating system. It re-keys after 65536 bytes of output, and whenever the
// process has forked since it was keyed, so that a parent and its child never
// hand out the same words.
//
// Why a fork counter is not enough. A child made by fork() runs the at-fork
// handlers, but one made by _Fork(), by a raw clone or fork system call, or by
// any runtime that bypasses the C library runs none: it would continue its
// parent's stream, and two signatures made with one nonce give the private
// key away. So the key, the buffered block and the counters live in a page of
// their own marked MADV_WIPEONFORK: the kernel hands every kind of child that
// page zeroed, and a zeroed state is one that must be keyed before it
// produces anything. Where the kernel lacks the advice, the process id
// recorded at keying is compared before every word instead.
#pragma once

#include <sys/types.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "random/chacha20.h"
#include "random/chacha20_blocks.h"

namespace vessa {

// A ChaCha20 word generator with the re-keying policy. Its state is wiped and
// unmapped on destruction.
class ChaChaRng {
public:
    // Keys from the operating system; stops the process if that fails.
    ChaChaRng();
    // Keys from `seed` (tests and benchmarks); re-keys from the OS as usual.
    explicit ChaChaRng(const ChaChaKey &seed) noexcept;
    ~ChaChaRng();
    ChaChaRng(const ChaChaRng &) = delete;
    ChaChaRng &operator=(const ChaChaRng &) = delete;

    uint32_t NextU32() noexcept;
    // The next `count` words, exactly as `count` calls of NextU32 give them.
    void NextWords(uint32_t *out, std::size_t count) noexcept;

    // Bytes produced under the current key (for tests).
    uint64_t BytesSinceKeying() const noexcept;
    // How many times the generator has re-keyed (for tests).
    uint64_t RekeyCount() const noexcept { return rekeys_; }
    // Whether the kernel wipes this generator's state in a child; false means
    // the process id is checked instead (for tests).
    bool WipedOnFork() const noexcept { return wiped_on_fork_; }

    static constexpr uint64_t kRekeyInterval = 65536;
    // Keystream is made kChaChaBatchBlocks blocks at a time; the re-keying
    // interval is a whole number of such batches.
    static constexpr uint32_t kBufferedWords = 16 * kChaChaBatchBlocks;
    static_assert(kRekeyInterval % (4 * kBufferedWords) == 0);

    // The state that must not survive into a child. All zero means "never
    // keyed in this process": the kernel's wipe produces exactly that.
    struct State {
        ChaChaKey key;
        std::array<uint32_t, kBufferedWords> block;  // consecutive blocks, drawn in order
        uint64_t bytes_since_key;
        uint64_t fork_epoch;
        uint32_t counter;
        uint32_t index;  // next unused word of block; kBufferedWords = empty
        pid_t pid;       // the process that keyed it
        uint32_t keyed;  // 1 once keyed in this process
    };

private:
    void Key(const ChaChaKey &key, uint64_t fork_epoch) noexcept;
    void Rekey() noexcept;
    bool Inherited() const noexcept;

    bool wiped_on_fork_ = false;  // set by the mapping of state_, declared first
    State *state_;
    uint64_t rekeys_ = 0;
};

// The process-wide fork counter, incremented in every child made by fork().
uint64_t ForkCount() noexcept;

// Test seam: when false, generators created afterwards do without
// MADV_WIPEONFORK, as on a kernel that lacks it. Not for production use.
void SetWipeOnForkForTesting(bool enabled) noexcept;

// Handle to the calling thread's generator. Valid on that thread only, for
// the duration of one operation. While the thread's storage is being torn
// down it carries a one-off generator of its own instead, wiped with the
// handle.
class ThreadRng {
public:
    ThreadRng(const ThreadRng &) = delete;
    ThreadRng &operator=(const ThreadRng &) = delete;
    uint32_t NextU32() noexcept { return rng_->NextU32(); }
    void NextWords(uint32_t *out, std::size_t count) noexcept { rng_->NextWords(out, count); }

private:
    friend ThreadRng thread_rng();
    explicit ThreadRng(ChaChaRng *shared) noexcept : rng_(shared) {}
    ThreadRng() : oneoff_(std::in_place), rng_(&*oneoff_) {}
    std::optional<ChaChaRng> oneoff_;
    ChaChaRng *rng_;
};

// The calling thread's generator, created on the thread's first call.
ThreadRng thread_rng();

}  // namespace vessa
