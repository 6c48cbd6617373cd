// A signature value: the response s and the challenge e.
#pragma once

#include <cstdint>

namespace vessa {

struct EccSignature {
    int32_t s;  // as signed: in [2147483647 - n, 2147483646]
    int32_t e;  // in [0, 2147483647], or -2147483648
};

}  // namespace vessa
