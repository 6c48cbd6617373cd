// Which vector instructions the run-time kernels may use.
//
// Every vector kernel of the library comes in the same forms: AVX-512 (F,
// BW, DQ and VL, with BMI1 and BMI2), AVX2 (with FMA) and portable C++, all
// computing the same results. The best form the processor supports is
// chosen once, at the first call. The environment variable
// VESSA_FORCE_PORTABLE, set to any non-empty value other than "0" when the
// process starts, pins every kernel to the portable form (for testing the
// portable path on any machine).
#pragma once

namespace vessa {

enum class VectorLevel { kPortable, kAvx2, kAvx512 };

// The level every dispatched kernel uses.
VectorLevel ChosenVectorLevel() noexcept;

// The best level the processor supports, whatever the environment says.
VectorLevel SupportedVectorLevel() noexcept;

}  // namespace vessa
