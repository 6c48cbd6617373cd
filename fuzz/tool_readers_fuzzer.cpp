// libFuzzer entry point; the invariants live in tool_reader_checks.h.
#include "tool_reader_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    vessa_fuzz::CheckToolReaderInput(data, size);
    return 0;
}
