// Clearing the stack that a secret-handling call ran on.
//
// Wiping a local is not enough: the compiler keeps copies of a nonce or a
// private scalar in registers and spills them into the frames of whatever it
// calls next (the hash permutation's prologue, the point arithmetic), and
// those frames stay in memory, dead but readable, after the call returns. A
// nonce found there together with its public signature gives the private key
// away. So every exported function that handles a private scalar, a nonce or
// an encryption scalar ends by calling WipeStackBelow() (through
// LeaveSecretCall), whose own frame covers the region its callees used and
// which zeroes that region.
#pragma once

#include <cstddef>

namespace vessa {

// The bytes cleared below the caller's frame. How it was measured: the test
// DeadStack.NeitherTheNonceNorThePrivateScalarIsLeftBelowTheCall zeroes the
// stack below its frame, makes one exported call and reports the deepest
// byte left non-zero. Built with this bound cut to 128 bytes, so that any
// deeper call shows, the deepest reached 2903 bytes below the test's frame
// with g++ 12 -O3 (vessa_sign_message) and 3591 with g++ -O0 (the same), the
// batched generator and vector kernels included; before those, 1511 and 1763.
// Reading a key text alone (resolve_private) reached 367 and 2951. The test
// fails if a call ever leaves anything below the bound: then raise it.
inline constexpr std::size_t kStackWipeBytes = 4096;

// What a secret-handling call clears as it returns. The deepest routine by
// far is the generator's batch of sixteen ChaCha20 blocks (about 1.5 KiB of
// frames below the rest of a call); it holds the generator's key and the
// words that become nonces, so the generator clears kStackWipeBytes below
// itself as soon as the batch is made. Without it, the optimised calls
// reached at most 1503 bytes (decrypt_to_string, g++ 12 -O3; sign 1143; the
// test passes with clang 14 -O2 as well), so half the region covers them.
// Clearing 2 KiB instead of 4 costs a signature (0.3 us) about 11 ns, 4 %,
// against about 30 ns. Unoptimised frames are larger: such builds clear the
// whole region. The dead-stack test checks this bound too.
#if defined(__OPTIMIZE__)
inline constexpr std::size_t kSecretCallWipeBytes = 2048;
#else
inline constexpr std::size_t kSecretCallWipeBytes = kStackWipeBytes;
#endif
static_assert(kSecretCallWipeBytes % 64 == 0 && kSecretCallWipeBytes >= 128 &&
              kSecretCallWipeBytes <= kStackWipeBytes);

// Zeroes the kStackWipeBytes below the caller's frame: its own frame, a local
// array zeroed by stores the compiler cannot drop (through a volatile
// pointer, or written in assembly). Never inlined, so the array lies below the
// caller's frame rather than inside it. The widest stores the processor has
// are chosen once: a sign costs under a microsecond, and 4 KiB of 8-byte
// stores would add a fifth to it.
[[gnu::noinline]] void WipeStackBelow() noexcept;

// The same for the kSecretCallWipeBytes nearest the caller's frame.
[[gnu::noinline]] void WipeSecretCallStack() noexcept;

// The variants those choose from (for tests): 16-byte stores, which every
// x86-64 has, and 32- and 64-byte stores, on processors with AVX2 and AVX-512
// only. Each clears the kBytes nearest the caller's frame; kBytes is fixed at
// compile time, so that no unoptimised build spills it below the region.
// Defined for kStackWipeBytes and kSecretCallWipeBytes.
template <std::size_t kBytes>
[[gnu::noinline]] void WipeStackBelowPortable() noexcept;
template <std::size_t kBytes>
[[gnu::noinline]] void WipeStackBelowAvx2() noexcept;
template <std::size_t kBytes>
[[gnu::noinline]] void WipeStackBelowAvx512() noexcept;

}  // namespace vessa
