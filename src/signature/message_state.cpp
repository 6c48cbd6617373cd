#include "signature/message_state.h"

#include <cstring>
#include <type_traits>

#include "support/secure_wipe.h"

namespace vessa {
namespace {

static_assert(std::is_trivially_copyable_v<Sha3_256>);
static_assert(sizeof(Sha3_256) <= sizeof(VessaMessage));

void StoreMessageState(const Sha3_256 &state, VessaMessage &message) noexcept {
    std::memcpy(&message, &state, sizeof(state));
}

}  // namespace

void InitMessageState(VessaMessage &message) noexcept {
    message = VessaMessage{};
    StoreMessageState(Sha3_256{}, message);
}

Sha3_256 LoadMessageState(const VessaMessage &message) noexcept {
    Sha3_256 state;
    std::memcpy(static_cast<void *>(&state), &message, sizeof(state));
    return state;
}

void UpdateMessageState(VessaMessage &message, const uint8_t *data, std::size_t size) noexcept {
    Sha3_256 state = LoadMessageState(message);
    state.Absorb(data, size);
    StoreMessageState(state, message);
    // The message may be secret; this copy of its state dies here.
    SecureWipeObject(state);
}

}  // namespace vessa
