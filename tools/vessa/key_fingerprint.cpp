#include "key_fingerprint.h"

#include "tool_error.h"
#include "vessa.h"

namespace vessa_tool {

std::string KeyFingerprint(const std::string &public_key_text) {
    char fingerprint[32];
    if (vessa_public_key_fingerprint(public_key_text.c_str(), fingerprint, sizeof(fingerprint)) !=
        VESSA_OK) {
        throw ToolError("cannot compute the fingerprint of the public key");
    }
    return fingerprint;
}

}  // namespace vessa_tool
