// The way through every exported function that handles a secret.
#pragma once

#include <cstdint>

#include "support/stack_wipe.h"

namespace vessa {

// The last step of every exported function that held a private scalar, a
// nonce, an encryption scalar or plaintext, after every internal frame that
// held the secret has returned: the stack those frames used is cleared
// before the status goes back (see kSecretCallWipeBytes for how much).
inline int32_t LeaveSecretCall(int32_t status) noexcept {
    WipeSecretCallStack();
    return status;
}

// Runs `body` in a frame of its own, never inlined into the caller.
template <typename Body>
[[gnu::noinline]] int32_t RunInOwnFrame(Body &body) noexcept {
    return body();
}

// The whole of such an exported function: `body` does the work and gives
// the status. It runs below the exported function's frame, so that no copy
// of a secret (a spilled register, a temporary the compiler made) can stay
// in that frame, where the clearing below it would not reach; the exported
// frame holds nothing but the references the body captures.
template <typename Body>
int32_t SecretCall(Body &&body) noexcept {
    return LeaveSecretCall(RunInOwnFrame(body));
}

}  // namespace vessa
