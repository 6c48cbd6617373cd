#include "support/vector_level.h"

#include <cstdlib>
#include <cstring>

namespace vessa {

VectorLevel SupportedVectorLevel() noexcept {
#if defined(__x86_64__) && defined(__GNUC__)
    if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512dq") &&
        __builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512vl") &&
        __builtin_cpu_supports("bmi") && __builtin_cpu_supports("bmi2")) {
        return VectorLevel::kAvx512;
    }
    if (__builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma")) {
        return VectorLevel::kAvx2;
    }
#endif
    return VectorLevel::kPortable;
}

VectorLevel ChosenVectorLevel() noexcept {
    // Computed once; the environment is read before any thread of the
    // library's own could change it (there are none).
    static const VectorLevel level = [] {
        const char *force = std::getenv("VESSA_FORCE_PORTABLE");
        if (force != nullptr && force[0] != '\0' && std::strcmp(force, "0") != 0) {
            return VectorLevel::kPortable;
        }
        return SupportedVectorLevel();
    }();
    return level;
}

}  // namespace vessa
