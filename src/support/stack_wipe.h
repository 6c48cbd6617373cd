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
// Reading a key text alone (resolve_private) reached 367 and 2951: too deep
// unoptimised for a smaller bound of its own. The test fails if a call ever
// leaves anything below the bound: then raise it. Clearing 4 KiB costs about
// 19 ns here, a twentieth of a signature.
inline constexpr std::size_t kStackWipeBytes = 4096;

// Zeroes the kStackWipeBytes below the caller's frame: its own frame, a local
// array zeroed by stores the compiler cannot drop (through a volatile
// pointer, or written in assembly). Never inlined, so the array lies below the
// caller's frame rather than inside it. The widest stores the processor has
// are chosen once: a sign costs under a microsecond, and 4 KiB of 8-byte
// stores would add a fifth to it.
[[gnu::noinline]] void WipeStackBelow() noexcept;

// The variants WipeStackBelow chooses from (for tests): 16-byte stores, which
// every x86-64 has, and 32- and 64-byte stores, on processors with AVX2 and
// AVX-512 only.
[[gnu::noinline]] void WipeStackBelowPortable() noexcept;
[[gnu::noinline]] void WipeStackBelowAvx2() noexcept;
[[gnu::noinline]] void WipeStackBelowAvx512() noexcept;

}  // namespace vessa
