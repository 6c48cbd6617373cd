#include "key_input.h"

#include <cstdint>
#include <cstring>

#include "display_name.h"
#include "input_stream.h"
#include "keytext/base64.h"
#include "short_text.h"
#include "tool_error.h"

namespace vessa_tool {

namespace {

enum class KeyKind { kPrivate, kPublic, kEither };

const char *KindName(KeyKind kind) {
    switch (kind) {
    case KeyKind::kPrivate: return "a private key text";
    case KeyKind::kPublic: return "a public key text";
    case KeyKind::kEither: break;
    }
    return "a key text";
}

// Throws ToolError describing the first way in which `key` is not shaped like
// a key text: empty, a byte outside base64, or the wrong length.
void CheckShape(const ShortText &key, const std::string &name, KeyKind kind) {
    const std::string expected = std::string(KindName(kind)) + " (" +
                                 std::to_string(VESSA_KEY_TEXT_LEN) + " base64 characters)";
    if (key.text.empty()) {
        throw ToolError(name + " is empty; expected " + expected);
    }
    for (size_t i = 0; i < key.text.size(); ++i) {
        char c = key.text[i];
        if (vessa::Base64SymbolValue(c) == vessa::kNotBase64Symbol && c != '=') {
            throw ToolError(name + ": " +
                            DescribeByteAt(static_cast<unsigned char>(c), key.offset + i) +
                            " cannot be part of " + KindName(kind));
        }
    }
    // Padding may be shortened, as the library's reader allows.
    if (key.text.size() < VESSA_KEY_TEXT_LEN - 2 || key.text.size() > VESSA_KEY_TEXT_LEN) {
        throw ToolError(name + " holds " + std::to_string(key.text.size()) +
                        " characters; expected " + expected);
    }
}

// A private key's text, read as a public key, gives as y the eight filler
// bytes at offsets 21 to 28 of its block, which are never 0x00 and never
// 0xff; no point the library stores has such a y. The test is certain for
// texts the library made. Commands that need a private key do not apply it,
// so that any text the library's reader takes still serves as one.
bool ReadsAsPrivateKey(int64_t y) {
    auto bits = static_cast<uint64_t>(y);
    for (int i = 0; i < 8; ++i) {
        auto byte = static_cast<uint8_t>(bits >> (8 * i));
        if (byte == 0x00 || byte == 0xff) {
            return false;
        }
    }
    return true;
}

AnyKey LoadKey(const EccCurve *curve, const std::optional<std::string> &path, KeyKind kind) {
    const std::string what = kind == KeyKind::kPublic    ? "the public key"
                             : kind == KeyKind::kPrivate ? "the private key"
                                                         : "the key";
    std::string content = ReadSmallInput(path, what, kShortTextLimit);
    const std::string name = InputName(path);
    ShortText key = TrimWhitespace(content);
    ::explicit_bzero(content.data(), content.size());
    CheckShape(key, name, kind);
    int64_t x = 0;
    int64_t y = 0;
    if (resolve_public(key.text.c_str(), &x, &y) != VESSA_OK) {
        throw ToolError(name + " is not " + KindName(kind) +
                        " (its base64 does not decode to 256 hexadecimal digits)");
    }
    bool is_point = vessa_public_key_check(curve, key.text.c_str()) == VESSA_OK;
    if (is_point) {
        if (kind == KeyKind::kPrivate) {
            throw ToolError(name + " holds a public key; this needs a private key");
        }
        return {false, key.text};
    }
    if (kind == KeyKind::kPublic) {
        throw ToolError(name + (ReadsAsPrivateKey(y)
                                    ? " holds a private key; this needs a public key"
                                    : " holds no point of the curve; it is not a public key text"));
    }
    if (kind == KeyKind::kEither && !ReadsAsPrivateKey(y)) {
        // Neither a point of the curve nor a text that packing makes for a
        // private key: a damaged public key is more likely than a private one.
        throw ToolError(name + " holds no point of the curve and no private key");
    }
    // Any other text serves as a private key: its scalar is whatever stands
    // at its offsets, as the library's reader takes it.
    return {true, key.text};
}

}  // namespace

std::string LoadPrivateKey(const EccCurve *curve, const std::optional<std::string> &path) {
    return LoadKey(curve, path, KeyKind::kPrivate).text;
}

std::string LoadPublicKey(const EccCurve *curve, const std::optional<std::string> &path) {
    return LoadKey(curve, path, KeyKind::kPublic).text;
}

AnyKey LoadAnyKey(const EccCurve *curve, const std::optional<std::string> &path) {
    return LoadKey(curve, path, KeyKind::kEither);
}

}  // namespace vessa_tool
