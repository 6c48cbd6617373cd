// libFuzzer entry point; the invariants live in key_operation_checks.h.
#include "key_operation_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    vessa_fuzz::CheckKeyOperationInput(data, size);
    return 0;
}
