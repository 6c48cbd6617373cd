#include "key_input.h"

#include <cstdint>

#include "file_io.h"
#include "tool_error.h"
#include "vessa.h"

namespace vessa_tool {

namespace {

enum class KeyKind { kPrivate, kPublic };

std::string LoadKey(const std::optional<std::string> &path, KeyKind kind) {
    std::string text = ReadInput(path);
    StripOneNewline(text);
    const char *kind_name = kind == KeyKind::kPrivate ? "private" : "public";
    // A NUL inside would let the reader see only a prefix of the input.
    bool valid = text.find('\0') == std::string::npos;
    if (valid) {
        int64_t d = 0;
        int64_t x = 0;
        int64_t y = 0;
        valid = kind == KeyKind::kPrivate ? resolve_private(text.c_str(), &d) == 0
                                          : resolve_public(text.c_str(), &x, &y) == 0;
    }
    if (!valid) {
        throw ToolError(InputName(path) + " is not a valid " + kind_name + " key text (" +
                        std::to_string(VESSA_KEY_TEXT_LEN) +
                        " base64 characters and one newline expected)");
    }
    return text;
}

}  // namespace

std::string LoadPrivateKey(const std::optional<std::string> &path) {
    return LoadKey(path, KeyKind::kPrivate);
}

std::string LoadPublicKey(const std::optional<std::string> &path) {
    return LoadKey(path, KeyKind::kPublic);
}

void RefuseEmbeddedNul(const std::string &text, const std::string &what) {
    if (size_t at = text.find('\0'); at != std::string::npos) {
        throw ToolError(what + " holds a NUL byte (at offset " + std::to_string(at) +
                        "), which the text interface cannot carry");
    }
}

}  // namespace vessa_tool
