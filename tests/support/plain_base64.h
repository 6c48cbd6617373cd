// A straightforward base64 encoder (standard alphabet, "=" padding) for
// building test inputs, written apart from the library's own coder so that
// tests do not check the library against itself.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

namespace vessa_test {

inline std::string PlainBase64Encode(const std::string &in) {
    static const char alphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (size_t i = 0; i < in.size(); i += 3) {
        const size_t n = std::min<size_t>(3, in.size() - i);
        uint32_t group = 0;
        for (size_t j = 0; j < 3; ++j) {
            group = (group << 8) | (j < n ? static_cast<uint8_t>(in[i + j]) : 0U);
        }
        for (size_t j = 0; j < 4; ++j) {
            out += j <= n ? alphabet[(group >> (18 - 6 * j)) & 0x3F] : '=';
        }
    }
    return out;
}

}  // namespace vessa_test
