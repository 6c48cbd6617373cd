#include "random/thread_rng.h"

#include <pthread.h>

#include <atomic>
#include <cstring>
#include <mutex>
#include <new>

#include "random/os_entropy.h"
#include "support/fatal.h"
#include "support/secure_wipe.h"

namespace vessa {
namespace {

std::atomic<uint64_t> g_fork_count{0};

void CountFork() noexcept { g_fork_count.fetch_add(1, std::memory_order_relaxed); }

void RegisterForkHandlerOnce() noexcept {
    static std::once_flag once;
    std::call_once(once, [] { ::pthread_atfork(nullptr, nullptr, &CountFork); });
}

// Fills `key` from the OS; returns 0 or the errno.
int KeyFromOs(ChaChaKey &key) noexcept {
    uint8_t bytes[32];
    const int rc = OsRandomBytes(bytes, sizeof(bytes));
    if (rc == 0) {
        std::memcpy(key.data(), bytes, sizeof(bytes));
    }
    SecureWipe(bytes, sizeof(bytes));
    return rc;
}

[[noreturn]] void FailInitialization(int err) noexcept {
    char text[256] = "unknown error";
    // GNU strerror_r may return a static string instead of filling `text`.
    const char *description = ::strerror_r(err, text, sizeof(text));
    Fatal("could not initialize thread_rng: ", description);
}

}  // namespace

uint64_t ForkCount() noexcept { return g_fork_count.load(std::memory_order_relaxed); }

ChaChaRng::ChaChaRng() {
    RegisterForkHandlerOnce();
    ChaChaKey key{};
    const int rc = KeyFromOs(key);
    if (rc != 0) {
        FailInitialization(rc);
    }
    // Epoch 0 whatever the counter holds: a generator first made in a
    // forked process re-keys before its first word.
    Key(key, 0);
    SecureWipeObject(key);
}

ChaChaRng::ChaChaRng(const ChaChaKey &seed) noexcept {
    RegisterForkHandlerOnce();
    Key(seed, ForkCount());
}

ChaChaRng::~ChaChaRng() {
    SecureWipeObject(key_);
    SecureWipeObject(block_);
    SecureWipeObject(counter_);
    SecureWipeObject(index_);
}

void ChaChaRng::Key(const ChaChaKey &key, uint64_t fork_epoch) noexcept {
    key_ = key;
    counter_ = 0;
    SecureWipeObject(block_);
    index_ = 16;  // drop buffered words: they belong to the old key
    bytes_since_key_ = 0;
    fork_epoch_ = fork_epoch;
}

void ChaChaRng::Rekey() noexcept {
    const uint64_t epoch = ForkCount();
    ChaChaKey fresh{};
    if (KeyFromOs(fresh) == 0) {
        Key(fresh, epoch);
        ++rekeys_;
    } else {
        // The OS failed: keep the current key, but start a fresh count so the
        // next attempt comes after another interval.
        bytes_since_key_ = 0;
        fork_epoch_ = epoch;
    }
    SecureWipeObject(fresh);
}

uint32_t ChaChaRng::NextU32() noexcept {
    // Checked before every word, not only before a new block: a child must
    // never hand out words that are still buffered in its parent.
    if (ForkCount() != fork_epoch_) {
        Rekey();
    }
    if (index_ == 16) {
        if (bytes_since_key_ >= kRekeyInterval) {
            Rekey();
        }
        ChaCha20Block(key_, counter_, ChaChaNonce{0, 0, 0}, block_);
        ++counter_;
        bytes_since_key_ += sizeof(block_);
        index_ = 0;
    }
    const uint32_t word = block_[index_];
    block_[index_] = 0;  // a handed-out word does not stay in memory
    ++index_;
    return word;
}

namespace {

// The thread's generator lives in trivially destructible storage, with a
// separate guard object whose destructor wipes it. The state flag is also
// trivially destructible, so it can still be read after the guard has run
// (for example from a client's own thread-local destructor).
enum class SlotState : unsigned char { kEmpty, kLive, kTornDown };

thread_local SlotState t_state = SlotState::kEmpty;
alignas(ChaChaRng) thread_local unsigned char t_storage[sizeof(ChaChaRng)];

struct SlotGuard {
    ~SlotGuard() {
        if (t_state == SlotState::kLive) {
            std::launder(reinterpret_cast<ChaChaRng *>(t_storage))->~ChaChaRng();
            SecureWipe(t_storage, sizeof(t_storage));
        }
        t_state = SlotState::kTornDown;
    }
};

}  // namespace

ThreadRng thread_rng() {
    if (t_state == SlotState::kLive) {
        return ThreadRng(std::launder(reinterpret_cast<ChaChaRng *>(t_storage)));
    }
    if (t_state == SlotState::kTornDown) {
        return ThreadRng();
    }
    thread_local SlotGuard guard;
    (void)guard;
    auto *rng = new (t_storage) ChaChaRng();
    t_state = SlotState::kLive;
    return ThreadRng(rng);
}

}  // namespace vessa
