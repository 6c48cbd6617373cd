#include "curve/dispatch/arithmetic_mode.h"

namespace vessa::detail {

thread_local constinit bool reference_arithmetic_forced = false;

}  // namespace vessa::detail
