#include "random/thread_rng.h"

#include <pthread.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <new>

#include "random/os_entropy.h"
#include "support/fatal.h"
#include "support/secure_wipe.h"
#include "support/stack_wipe.h"

namespace vessa {
namespace {

std::atomic<uint64_t> g_fork_count{0};
std::atomic<bool> g_wipe_on_fork{true};

// GCOVR_EXCL_START: runs in children only, which write no coverage data.
void CountFork() noexcept { g_fork_count.fetch_add(1, std::memory_order_relaxed); }
// GCOVR_EXCL_STOP

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

// GCOVR_EXCL_START: stops the process.
[[noreturn]] void FailInitialization(int err) noexcept {
    char text[256] = "unknown error";
    // GNU strerror_r may return a static string instead of filling `text`.
    const char *description = ::strerror_r(err, text, sizeof(text));
    Fatal("could not initialize thread_rng: ", description);
}
// GCOVR_EXCL_STOP

// A page of its own for a generator's state, obtained when the generator is
// made (never inside a draw), and marked to be wiped in a child when the
// kernel allows; `wiped_on_fork` says whether it did.
ChaChaRng::State *MapState(bool &wiped_on_fork) noexcept {
    void *page = ::mmap(nullptr, sizeof(ChaChaRng::State), PROT_READ | PROT_WRITE,
                        MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (page == MAP_FAILED) {
        FailInitialization(errno);  // GCOVR_EXCL_LINE
    }
    wiped_on_fork = g_wipe_on_fork.load(std::memory_order_relaxed) &&
                    ::madvise(page, sizeof(ChaChaRng::State), MADV_WIPEONFORK) == 0;
    return static_cast<ChaChaRng::State *>(page);
}

}  // namespace

uint64_t ForkCount() noexcept { return g_fork_count.load(std::memory_order_relaxed); }

void SetWipeOnForkForTesting(bool enabled) noexcept {
    g_wipe_on_fork.store(enabled, std::memory_order_relaxed);
}

ChaChaRng::ChaChaRng() : state_(MapState(wiped_on_fork_)) {
    RegisterForkHandlerOnce();
    ChaChaKey key{};
    const int rc = KeyFromOs(key);
    if (rc != 0) {
        FailInitialization(rc);  // GCOVR_EXCL_LINE
    }
    // Epoch 0 whatever the counter holds: a generator first made in a
    // forked process re-keys before its first word.
    Key(key, 0);
    SecureWipeObject(key);
}

ChaChaRng::ChaChaRng(const ChaChaKey &seed) noexcept : state_(MapState(wiped_on_fork_)) {
    RegisterForkHandlerOnce();
    Key(seed, ForkCount());
}

ChaChaRng::~ChaChaRng() {
    SecureWipe(state_, sizeof(State));
    ::munmap(state_, sizeof(State));
}

uint64_t ChaChaRng::BytesSinceKeying() const noexcept { return state_->bytes_since_key; }

void ChaChaRng::Key(const ChaChaKey &key, uint64_t fork_epoch) noexcept {
    State &s = *state_;
    s.key = key;
    s.counter = 0;
    SecureWipeObject(s.block);
    s.index = kBufferedWords;  // drop buffered words: they belong to the old key
    s.bytes_since_key = 0;
    s.fork_epoch = fork_epoch;
    s.pid = ::getpid();
    s.keyed = 1;
}

bool ChaChaRng::Inherited() const noexcept {
    return state_->keyed == 0 || (!wiped_on_fork_ && state_->pid != ::getpid());
}

// When the operating system cannot supply a key, a generator that was keyed
// in this process keeps its key: its stream is still its own. A generator
// inherited from a parent stops the process instead, with the diagnostic of a
// failed creation. Going on is not an option: after the kernel's wipe there
// is no key left to go on with, and without the wipe the old key is the
// parent's. Nor is deriving a child key from the old key, the process id and
// the fork count: _Fork() and clone leave the count alone, so two children
// of one parent would differ by their process ids only, which are reused;
// and the parent, which knows the old key, could compute the child's nonces.
void ChaChaRng::Rekey() noexcept {
    const uint64_t epoch = ForkCount();
    ChaChaKey fresh{};
    const int rc = KeyFromOs(fresh);
    if (rc == 0) {
        Key(fresh, epoch);
        ++rekeys_;
    } else if (Inherited()) {
        FailInitialization(rc);  // GCOVR_EXCL_LINE
    } else {
        // Start a fresh count so the next attempt comes after another interval.
        state_->bytes_since_key = 0;
        state_->fork_epoch = epoch;
    }
    SecureWipeObject(fresh);
}

uint32_t ChaChaRng::NextU32() noexcept {
    State &s = *state_;
    if (s.index == kBufferedWords || s.keyed == 0 || ForkCount() != s.fork_epoch ||
        (!wiped_on_fork_ && s.pid != ::getpid())) {
        uint32_t word = 0;
        NextWords(&word, 1);
        return word;
    }
    // A word of the current batch, with the checks of NextWords passed.
    if (s.index % 16 == 0) {
        s.bytes_since_key += sizeof(ChaChaBlock);
    }
    const uint32_t word = s.block[s.index];
    s.block[s.index] = 0;  // a handed-out word does not stay in memory
    ++s.index;
    return word;
}

void ChaChaRng::NextWords(uint32_t *out, std::size_t count) noexcept {
    State &s = *state_;
    // Checked before every call's first word, not only before a new block: a
    // child must never hand out words that are still buffered in its parent.
    // (A fork on another thread during the call leaves this thread behind.)
    if (s.keyed == 0 || ForkCount() != s.fork_epoch || (!wiped_on_fork_ && s.pid != ::getpid())) {
        Rekey();
    }
    while (count > 0) {
        if (s.index == kBufferedWords) {
            if (s.bytes_since_key >= kRekeyInterval) {
                Rekey();
            }
            ChaCha20Blocks(s.key, s.counter, ChaChaNonce{0, 0, 0}, s.block.data());
            // The batch's frames, the deepest of any call, held the key and
            // the words to come: cleared now, so that the secret-handling
            // call around this one need only clear its own shallower frames.
            WipeStackBelow();
            s.counter += kChaChaBatchBlocks;
            s.index = 0;
        }
        const std::size_t run = std::min<std::size_t>(count, kBufferedWords - s.index);
        // Output is counted a block at a time, as the first word of each
        // block is handed out.
        const std::size_t blocks_started = (s.index + run + 15) / 16 - (s.index + 15) / 16;
        s.bytes_since_key += blocks_started * sizeof(ChaChaBlock);
        std::memcpy(out, &s.block[s.index], run * sizeof(uint32_t));
        // A handed-out word does not stay in memory (the state lives in its
        // own mapping, so these stores cannot be dropped).
        std::memset(&s.block[s.index], 0, run * sizeof(uint32_t));
        s.index += static_cast<uint32_t>(run);
        out += run;
        count -= run;
    }
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
