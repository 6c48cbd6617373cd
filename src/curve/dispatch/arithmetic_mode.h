// Choice between the fast exact arithmetic and the literal reference
// arithmetic, per thread.
//
// Both give identical results; the reference one is kept to time whole
// operations against it (benchmarks, `vessa bench`) and as the oracle of the
// tests. The fast path reads one thread-local flag.
#pragma once

namespace vessa {

namespace detail {
extern thread_local constinit bool reference_arithmetic_forced;
}  // namespace detail

// True while a ScopedReferenceArithmetic is alive on the calling thread.
inline bool ReferenceArithmeticForced() noexcept { return detail::reference_arithmetic_forced; }

// Makes ScalarMultiply, ModInverse and the order count of ecc_new use the
// literal reference arithmetic on the calling thread for its lifetime.
// Nests: the previous setting is restored on destruction.
class ScopedReferenceArithmetic {
public:
    ScopedReferenceArithmetic() noexcept : previous_(detail::reference_arithmetic_forced) {
        detail::reference_arithmetic_forced = true;
    }
    ~ScopedReferenceArithmetic() { detail::reference_arithmetic_forced = previous_; }
    ScopedReferenceArithmetic(const ScopedReferenceArithmetic &) = delete;
    ScopedReferenceArithmetic &operator=(const ScopedReferenceArithmetic &) = delete;

private:
    bool previous_;
};

}  // namespace vessa
