// Invariants of verify_from_hex_string against a decoder of our own, and of
// texts made by sign_to_hex_string.
#pragma once

#include <cctype>
#include <optional>
#include <utility>

#include "fuzz_support.h"
#include "key_text_checks.h"

namespace vessa_fuzz {

// (s, e) of a 16-digit text, or nullopt when the text is not one.
inline std::optional<std::pair<int32_t, int32_t>> DecodeSignatureText(const std::string &text) {
    if (text.size() != 16) {
        return std::nullopt;
    }
    uint32_t words[2] = {0, 0};
    for (size_t i = 0; i < 8; ++i) {
        const int hi = HexValue(text[2 * i]);
        const int lo = HexValue(text[2 * i + 1]);
        if (hi < 0 || lo < 0) {
            return std::nullopt;
        }
        words[i / 4] |= static_cast<uint32_t>(hi * 16 + lo) << (8 * (i % 4));
    }
    return std::make_pair(static_cast<int32_t>(words[0]), static_cast<int32_t>(words[1]));
}

inline std::string SwapCase(std::string text) {
    for (char &c : text) {
        const auto u = static_cast<unsigned char>(c);
        c = static_cast<char>(std::isupper(u) ? std::tolower(u) : std::toupper(u));
    }
    return text;
}

// Input: a flag byte, a size byte, the signature text up to a NUL, then the
// message. Flag bit 0 spoils the public key; bit 1 signs the message here
// instead of taking the text from the input.
inline void CheckSignatureTextInput(const uint8_t *data, size_t size) {
    const FuzzKeys &keys = Keys();
    const EccCurve *curve = keys.curve.get();
    InputReader input(data, size);
    const uint8_t flags = input.Byte();
    const uint8_t size_byte = input.Byte();
    std::string sig = input.TextUpToNul();
    const auto msg = ExactCopy(input.TextUpToNul());
    const bool spoil_key = (flags & 1) != 0;
    const std::string pub = spoil_key ? Corrupted(keys.pub, size_byte) : keys.pub;
    const auto pub_text = ExactCopy(pub);

    if ((flags & 2) != 0) {
        // Signing: a size below 17 leaves the buffer alone; otherwise exactly
        // 16 lowercase digits and a NUL are written, and they verify.
        const uint32_t buf_size = size_byte % 24;
        GuardedBuffer buf(buf_size);
        const int32_t rc = sign_to_hex_string(curve, keys.priv.c_str(), msg.get(), buf.chars(),
                                              buf_size);
        if (buf_size < VESSA_SIGNATURE_TEXT_SIZE) {
            FUZZ_CHECK(rc == -1 && buf.UntouchedFrom(0));
            return;
        }
        FUZZ_CHECK(rc == 0);
        FUZZ_CHECK(buf[16] == 0 && buf.UntouchedFrom(17));
        sig.assign(buf.chars(), 16);
        FUZZ_CHECK(sig.find_first_not_of("0123456789abcdef") == std::string::npos);
        const auto decoded = DecodeSignatureText(sig);
        FUZZ_CHECK(decoded && decoded->first >= 2147383728 && decoded->first <= 2147483646);
        const int32_t expected = spoil_key ? -1 : 0;
        FUZZ_CHECK(verify_from_hex_string(curve, pub_text.get(), msg.get(), sig.c_str()) ==
                   expected);
        FUZZ_CHECK(verify_from_hex_string(curve, pub_text.get(), msg.get(),
                                          SwapCase(sig).c_str()) == expected);
        FUZZ_CHECK(verify(curve, pub_text.get(), msg.get(), decoded->first, decoded->second) ==
                   expected);
        return;
    }

    const auto sig_text = ExactCopy(sig);
    const int32_t rc = verify_from_hex_string(curve, pub_text.get(), msg.get(), sig_text.get());
    const auto decoded = DecodeSignatureText(sig);
    if (!decoded) {
        FUZZ_CHECK(rc == -1);
        return;
    }
    FUZZ_CHECK(rc == 0 || rc == -1);
    FUZZ_CHECK(rc == verify(curve, pub_text.get(), msg.get(), decoded->first, decoded->second));
    FUZZ_CHECK(rc == verify_from_hex_string(curve, pub_text.get(), msg.get(),
                                            SwapCase(sig).c_str()));
    if (spoil_key) {
        FUZZ_CHECK(rc == -1);
    }
}

}  // namespace vessa_fuzz
