// vessa bench: the library's operations timed with the fast arithmetic and
// with the reference arithmetic (the literal chain of additions), side by
// side in one run. The benchmark suite in bench/ times the same workload.
#pragma once

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "vessa.h"

namespace vessa_tool {

struct BenchOptions {
    int iterations = 0;  // calls per operation with the fast arithmetic; 0 = default
    bool quick = false;  // a short run
};

// Prints a table with, per operation, the median time per call with the
// fast and with the reference arithmetic and their ratio, then how the
// throughput of two threads signing with one curve compares with one
// thread. Returns 0, or 1 when the workload cannot be set up or the two
// arithmetics give different results.
int RunBench(const BenchOptions &options, std::FILE *out);

// One measured operation.
struct BenchOperation {
    std::string name;
    int reference_calls;         // calls with the reference arithmetic by default (slow);
                                 // 0 where the reference would take seconds per call
    std::function<void()> call;  // one call; safe to run from several threads
};

// The curve, a key pair, a 64-byte text and its ciphertext, and the
// operations on them. Not copyable: the operations refer to it.
class BenchWorkload {
public:
    BenchWorkload();
    ~BenchWorkload();
    BenchWorkload(const BenchWorkload &) = delete;
    BenchWorkload &operator=(const BenchWorkload &) = delete;

    // False when setting up failed (no curve, or a call returned an error).
    bool ok() const noexcept { return ok_; }
    const std::vector<BenchOperation> &operations() const noexcept { return operations_; }
    // One signature with the workload's key, for the thread scaling run.
    void SignOnce() const noexcept;
    // The ScalarMultiply results of both arithmetics agree on sample
    // scalars (a quick check that the table compares like with like).
    bool ArithmeticsAgree() const noexcept;

    static constexpr int64_t kPrivateScalar = 56789;  // a mid-range key: decryption's cost follows it
    static constexpr int kTextLength = 64;
    static constexpr int kEntries = 1000;  // ciphertext entries decrypted per call

private:
    EccCurve *curve_ = nullptr;
    bool ok_ = false;
    std::string private_key_;
    std::string public_key_;
    std::string text_;
    EccPoint public_point_{};
    std::vector<uint8_t> ciphertext_;
    std::vector<uint8_t> genuine_entries_;    // kEntries made by encrypt_string
    std::vector<uint8_t> off_curve_entries_;  // kEntries with points off the curve
    std::vector<int64_t> scalars_;
    int32_t signature_s_ = 0;
    int32_t signature_e_ = 0;
    std::vector<BenchOperation> operations_;
    void Sink(int64_t value) const noexcept;
    // Results are folded in here so that no timed call can be optimised away.
    mutable std::atomic<int64_t> sink_{0};
};

}  // namespace vessa_tool
