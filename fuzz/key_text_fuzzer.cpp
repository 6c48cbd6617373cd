// libFuzzer entry point; the invariants live in key_text_checks.h.
#include "key_text_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    vessa_fuzz::CheckKeyTextInput(data, size);
    return 0;
}
