// The way out of every exported function that handled a secret.
#pragma once

#include <cstdint>

#include "support/stack_wipe.h"

namespace vessa {

// Every exported function that held a private scalar, a nonce, an
// encryption scalar or plaintext passes its status through here as its very
// last step, after every internal frame that held the secret has returned:
// the stack those frames used is cleared before the status goes back.
inline int32_t LeaveSecretCall(int32_t status) noexcept {
    WipeStackBelow();
    return status;
}

}  // namespace vessa
