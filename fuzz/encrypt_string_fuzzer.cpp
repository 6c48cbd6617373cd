// libFuzzer entry point; the invariants live in encryption_checks.h.
#include "encryption_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    vessa_fuzz::CheckEncryptInput(data, size);
    return 0;
}
