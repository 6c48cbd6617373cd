// libFuzzer entry point; the invariants live in byte_interface_checks.h.
#include "byte_interface_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    vessa_fuzz::CheckByteInterfaceInput(data, size);
    return 0;
}
