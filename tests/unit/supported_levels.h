// The kernel forms this processor can run, for tests that compare every
// form with the portable one.
#pragma once

#include <vector>

#include "support/vector_level.h"

namespace vessa {

// Portable, then AVX2 and AVX-512 where the processor has them, whatever
// VESSA_FORCE_PORTABLE says.
inline std::vector<VectorLevel> SupportedLevels() {
    std::vector<VectorLevel> levels;
    for (const VectorLevel level :
         {VectorLevel::kPortable, VectorLevel::kAvx2, VectorLevel::kAvx512}) {
        if (static_cast<int>(level) <= static_cast<int>(SupportedVectorLevel())) {
            levels.push_back(level);
        }
    }
    return levels;
}

}  // namespace vessa
