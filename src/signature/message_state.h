// The caller-owned VessaMessage: the digest state of a message absorbed
// piece by piece, kept in the record's opaque words.
#pragma once

#include <cstddef>
#include <cstdint>

#include "signature/sha3_256.h"
#include "vessa.h"

namespace vessa {

// Starts the record as the empty message; every word is set, the unused
// tail to zero.
void InitMessageState(VessaMessage &message) noexcept;

// The digest state the record holds. The record is read bytewise, so any
// alignment the caller's storage has is enough.
Sha3_256 LoadMessageState(const VessaMessage &message) noexcept;

// Absorbs `size` bytes at `data` into the record.
void UpdateMessageState(VessaMessage &message, const uint8_t *data, std::size_t size) noexcept;

}  // namespace vessa
