// The per-thread random generator.
//
// Each thread owns a ChaCha20 keystream keyed with 32 bytes from the
// operating system. It re-keys after 65536 bytes of output, and whenever the
// process has forked since it was keyed, so that a parent and its child never
// hand out the same words.
#pragma once

#include <cstdint>
#include <optional>

#include "random/chacha20.h"

namespace vessa {

// A ChaCha20 word generator with the re-keying policy. Its key, buffered
// block and counters are wiped on destruction.
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

    // Bytes produced under the current key (for tests).
    uint64_t BytesSinceKeying() const noexcept { return bytes_since_key_; }
    // How many times the generator has re-keyed (for tests).
    uint64_t RekeyCount() const noexcept { return rekeys_; }

    static constexpr uint64_t kRekeyInterval = 65536;

private:
    void Key(const ChaChaKey &key, uint64_t fork_epoch) noexcept;
    void Rekey() noexcept;

    ChaChaKey key_{};
    ChaChaBlock block_{};
    uint32_t counter_ = 0;
    unsigned index_ = 16;  // next unused word of block_; 16 = empty
    uint64_t bytes_since_key_ = 0;
    uint64_t fork_epoch_ = 0;
    uint64_t rekeys_ = 0;
};

// The process-wide fork counter, incremented in every child.
uint64_t ForkCount() noexcept;

// Handle to the calling thread's generator. Valid on that thread only, for
// the duration of one operation. While the thread's storage is being torn
// down it carries a one-off generator of its own instead, wiped with the
// handle.
class ThreadRng {
public:
    ThreadRng(const ThreadRng &) = delete;
    ThreadRng &operator=(const ThreadRng &) = delete;
    uint32_t NextU32() noexcept { return rng_->NextU32(); }

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
