#include "bench_command.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <random>
#include <thread>

#include "curve/dispatch/arithmetic_mode.h"
#include "curve/literal/point_arith.h"

namespace vessa_tool {
namespace {

using Clock = std::chrono::steady_clock;

// Median over samples of the time per call, in microseconds; each sample
// times `batch` calls, so fast calls are not lost in the clock's overhead.
// With `warm_up`, the call first runs untimed for at least kWarmUp: the
// previous operation has pushed this one's tables out of the caches, and
// the table of multiples of G (some 800 KB, read at a random place by every
// k*G) takes tens of thousands of calls to come back. Without it a short
// run times the first reads of that table from memory, about 0.1 us a call.
constexpr std::chrono::milliseconds kWarmUp{20};

double MedianMicros(const std::function<void()> &call, int samples, int batch, bool warm_up) {
    if (warm_up) {
        const Clock::time_point until = Clock::now() + kWarmUp;
        do {
            for (int i = 0; i < batch; ++i) {
                call();
            }
        } while (Clock::now() < until);
    }
    std::vector<double> per_call;
    per_call.reserve(static_cast<size_t>(samples));
    for (int s = 0; s < samples; ++s) {
        const Clock::time_point start = Clock::now();
        for (int i = 0; i < batch; ++i) {
            call();
        }
        const std::chrono::duration<double, std::micro> elapsed = Clock::now() - start;
        per_call.push_back(elapsed.count() / batch);
    }
    std::sort(per_call.begin(), per_call.end());
    return per_call[per_call.size() / 2];
}

// Signatures per second of `threads` threads signing at once.
double SignThroughput(const BenchWorkload &workload, int threads, int per_thread) {
    const Clock::time_point start = Clock::now();
    std::vector<std::thread> pool;
    for (int t = 0; t < threads; ++t) {
        pool.emplace_back([&] {
            for (int i = 0; i < per_thread; ++i) {
                workload.SignOnce();
            }
        });
    }
    for (std::thread &thread : pool) {
        thread.join();
    }
    const std::chrono::duration<double> elapsed = Clock::now() - start;
    return threads * per_thread / elapsed.count();
}

}  // namespace

BenchWorkload::BenchWorkload() {
    curve_ = ecc_new();
    if (curve_ == nullptr) {
        return;
    }
    char priv[VESSA_KEY_TEXT_SIZE];
    char pub[VESSA_KEY_TEXT_SIZE];
    if (package_private(kPrivateScalar, priv, sizeof(priv)) != VESSA_KEY_TEXT_LEN ||
        ecc_generate_public(curve_, priv, pub, sizeof(pub)) != VESSA_KEY_TEXT_LEN ||
        resolve_public(pub, &public_point_.x, &public_point_.y) != 0) {
        return;
    }
    private_key_ = priv;
    public_key_ = pub;
    for (int i = 0; i < kTextLength; ++i) {
        text_.push_back(static_cast<char>('a' + i % 26));
    }
    ciphertext_.resize(static_cast<size_t>(kTextLength) * VESSA_CIPHERTEXT_ENTRY_SIZE);
    const auto capacity = static_cast<int32_t>(ciphertext_.size());
    if (encrypt_string(curve_, pub, text_.c_str(), ciphertext_.data(), capacity) != capacity ||
        sign(curve_, priv, text_.c_str(), &signature_s_, &signature_e_) != 0 ||
        verify(curve_, pub, text_.c_str(), signature_s_, signature_e_) != 0) {
        return;
    }
    // 1000 entries as encrypt_string makes them, and 1000 whose points have
    // coordinates in [1, p - 1] but lie off the curve, as a forger makes them.
    const std::string long_text(kEntries, 'x');
    genuine_entries_.resize(static_cast<size_t>(kEntries) * VESSA_CIPHERTEXT_ENTRY_SIZE);
    const auto entries_size = static_cast<int32_t>(genuine_entries_.size());
    if (encrypt_string(curve_, pub, long_text.c_str(), genuine_entries_.data(), entries_size) !=
        entries_size) {
        return;
    }
    std::mt19937_64 gen(1);
    std::uniform_int_distribution<int64_t> coordinate(1, curve_->p - 1);
    off_curve_entries_.resize(genuine_entries_.size());
    for (size_t i = 0; i < off_curve_entries_.size(); i += 4) {
        // x, y, masked: each a little-endian 32-bit word.
        const int64_t x = coordinate(gen);
        const int64_t y = coordinate(gen);
        const uint64_t word = (i / 4) % 3 == 2 ? gen() % 25000000 : static_cast<uint64_t>(
                                                                        (i / 4) % 3 == 0 ? x : y);
        for (size_t b = 0; b < 4; ++b) {
            off_curve_entries_[i + b] = static_cast<uint8_t>(word >> (8 * b));
        }
    }
    // Uniform scalars in [2, n), drawn once so that no draw is timed.
    std::uniform_int_distribution<int64_t> scalar(2, curve_->n - 1);
    for (int i = 0; i < 256; ++i) {
        scalars_.push_back(scalar(gen));
    }
    ok_ = true;

    // The operations are called from one thread at a time except SignOnce,
    // so a plain counter picks the next scalar.
    auto next_scalar = [this, index = std::make_shared<size_t>(0)] {
        return scalars_[(*index)++ % scalars_.size()];
    };
    operations_.push_back({"ScalarMultiply k*G", 25, [this, next_scalar] {
                               const EccPoint r =
                                   vessa::ScalarMultiply(*curve_, next_scalar(), curve_->g);
                               Sink(r.x);
                           }});
    operations_.push_back({"ScalarMultiply k*Q", 25, [this, next_scalar] {
                               const EccPoint r =
                                   vessa::ScalarMultiply(*curve_, next_scalar(), public_point_);
                               Sink(r.x);
                           }});
    operations_.push_back({"ecc_new", 15, [] { ecc_destroy(ecc_new()); }});
    operations_.push_back({"sign", 25, [this] { SignOnce(); }});
    operations_.push_back({"verify", 15, [this] {
                               Sink(verify(curve_, public_key_.c_str(), text_.c_str(), signature_s_,
                                           signature_e_));
                           }});
    operations_.push_back({"encrypt_string 64 bytes", 3, [this] {
                               uint8_t out[kTextLength * VESSA_CIPHERTEXT_ENTRY_SIZE];
                               Sink(encrypt_string(curve_, public_key_.c_str(), text_.c_str(), out,
                                                   sizeof(out)));
                           }});
    operations_.push_back({"decrypt_to_string 64 bytes", 3, [this] {
                               char out[kTextLength + 1];
                               Sink(decrypt_to_string(curve_, private_key_.c_str(), ciphertext_.data(),
                                                      static_cast<int32_t>(ciphertext_.size()),
                                                      out, sizeof(out)));
                           }});
    for (const bool genuine : {true, false}) {
        const std::vector<uint8_t> *entries = genuine ? &genuine_entries_ : &off_curve_entries_;
        operations_.push_back(
            {genuine ? "decrypt 1000 genuine entries" : "decrypt 1000 off-curve entries", 0,
             [this, entries] {
                 std::vector<char> out(static_cast<size_t>(kEntries) + 1);
                 Sink(decrypt_to_string(curve_, private_key_.c_str(), entries->data(),
                                        static_cast<int32_t>(entries->size()), out.data(),
                                        static_cast<int32_t>(out.size())));
             }});
    }
    operations_.push_back({"ecc_generate_private", 3, [this] {
                               char out[VESSA_KEY_TEXT_SIZE];
                               Sink(ecc_generate_private(curve_, out, sizeof(out)));
                           }});
    operations_.push_back({"package_private", 3, [this] {
                               char out[VESSA_KEY_TEXT_SIZE];
                               Sink(package_private(kPrivateScalar, out, sizeof(out)));
                           }});
    operations_.push_back({"package_public", 3, [this] {
                               char out[VESSA_KEY_TEXT_SIZE];
                               Sink(package_public(public_point_, out, sizeof(out)));
                           }});
    operations_.push_back({"resolve_private", 3, [this] {
                               int64_t d = 0;
                               Sink(resolve_private(private_key_.c_str(), &d) + d);
                           }});
    operations_.push_back({"resolve_public", 3, [this] {
                               int64_t x = 0;
                               int64_t y = 0;
                               Sink(resolve_public(public_key_.c_str(), &x, &y) + x + y);
                           }});
}

BenchWorkload::~BenchWorkload() { ecc_destroy(curve_); }

void BenchWorkload::Sink(int64_t value) const noexcept {
    sink_.fetch_xor(value, std::memory_order_relaxed);
}

void BenchWorkload::SignOnce() const noexcept {
    // No shared sink here: threads sign at once, and a shared counter would
    // put a contended cache line into the measurement.
    int32_t s = 0;
    int32_t e = 0;
    if (sign(curve_, private_key_.c_str(), text_.c_str(), &s, &e) != 0) {
        std::abort();  // the workload's key was checked when it was made
    }
}

bool BenchWorkload::ArithmeticsAgree() const noexcept {
    for (size_t i = 0; i < 4; ++i) {
        const int64_t k = scalars_[i];
        const EccPoint fast = vessa::ScalarMultiply(*curve_, k, public_point_);
        EccPoint reference{};
        {
            const vessa::ScopedReferenceArithmetic forced;
            reference = vessa::ScalarMultiply(*curve_, k, public_point_);
        }
        if (fast.x != reference.x || fast.y != reference.y) {
            return false;
        }
    }
    return true;
}

int RunBench(const BenchOptions &options, std::FILE *out) {
    const BenchWorkload workload;
    if (!workload.ok()) {
        std::fprintf(out, "bench: could not set up the workload\n");
        return 1;
    }
    if (!workload.ArithmeticsAgree()) {
        std::fprintf(out, "bench: the fast and the reference arithmetic disagree\n");
        return 1;
    }
    const int fast_calls = options.iterations > 0 ? options.iterations : (options.quick ? 200 : 2000);
    std::fprintf(out, "%-32s %14s %16s %12s\n", "operation", "fast us/call", "reference us/call",
                 "ratio");
    for (const BenchOperation &op : workload.operations()) {
        const int samples = std::min(fast_calls, 21);
        const double fast =
            MedianMicros(op.call, samples, std::max(1, fast_calls / samples), /*warm_up=*/true);
        int reference_calls = options.quick ? 1 : op.reference_calls;
        if (options.iterations > 0) {
            reference_calls = std::min(reference_calls, options.iterations);
        }
        if (op.reference_calls == 0) {
            std::fprintf(out, "%-32s %14.3f %16s %12s\n", op.name.c_str(), fast, "-", "-");
            std::fflush(out);
            continue;
        }
        double reference = 0;
        {
            const vessa::ScopedReferenceArithmetic forced;
            reference = MedianMicros(op.call, reference_calls, 1, /*warm_up=*/false);
        }
        std::fprintf(out, "%-32s %14.3f %16.1f %11.0fx\n", op.name.c_str(), fast, reference,
                     reference / fast);
        std::fflush(out);
    }
    // Runs of a few tenths of a second, best of three: a run of a few
    // milliseconds measures thread start-up and scheduler noise instead.
    const int per_thread = options.quick ? 20000 : 200000;
    double one = 0;
    double two = 0;
    for (int round = 0; round < 3; ++round) {
        one = std::max(one, SignThroughput(workload, 1, per_thread));
        two = std::max(two, SignThroughput(workload, 2, per_thread));
    }
    std::fprintf(out, "sign throughput: one thread %.0f/s, two threads %.0f/s (%.2fx)\n", one, two,
                 two / one);
    std::fprintf(out, "median over samples; reference runs: %s\n",
                 options.quick ? "1 per operation" : "3 to 25 per operation");
    return 0;
}

}  // namespace vessa_tool
