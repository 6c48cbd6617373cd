// The Keccak-f[1600] permutation of a 25-lane state, the form chosen at run
// time (see support/vector_level.h): with AVX-512 the state is split between
// integer and vector registers, which work on their parts side by side;
// otherwise all lanes are 64-bit integers (using the and-not and rotate
// instructions of BMI where the processor has them). Every form gives the
// same state.
#pragma once

#include <array>
#include <cstdint>

#include "support/vector_level.h"

namespace vessa {

// Lane (x, y) of the state is element x + 5 y.
using KeccakLanes = std::array<uint64_t, 25>;

// Applies the 24 rounds to `lanes` in place, in the form for `level`, which
// the processor must support.
void KeccakF1600(KeccakLanes &lanes, VectorLevel level) noexcept;

// The same in the form chosen for the process (ChosenVectorLevel).
void KeccakF1600(KeccakLanes &lanes) noexcept;

}  // namespace vessa
