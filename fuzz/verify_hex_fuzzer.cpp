// libFuzzer entry point; the invariants live in signature_text_checks.h.
#include "signature_text_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    vessa_fuzz::CheckSignatureTextInput(data, size);
    return 0;
}
