#include "signature_text.h"

#include "tool_error.h"
#include "vessa.h"

namespace vessa_tool {

namespace {

constexpr char kDigits[] = "0123456789abcdef";

int DigitValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

void AppendLittleEndian(std::string &text, int32_t value) {
    auto bits = static_cast<uint32_t>(value);
    for (int i = 0; i < 4; ++i) {
        auto byte = static_cast<uint8_t>(bits >> (8 * i));
        text += kDigits[byte >> 4];
        text += kDigits[byte & 0xf];
    }
}

int32_t ReadLittleEndian(const std::string &text, size_t at) {
    uint32_t bits = 0;
    for (size_t i = 0; i < 4; ++i) {
        auto byte = static_cast<uint32_t>(DigitValue(text[at + 2 * i]) * 16 +
                                          DigitValue(text[at + 2 * i + 1]));
        bits |= byte << (8 * i);
    }
    return static_cast<int32_t>(bits);
}

}  // namespace

std::string FormatSignature(Signature signature) {
    std::string text;
    AppendLittleEndian(text, signature.s);
    AppendLittleEndian(text, signature.e);
    return text;
}

Signature ParseSignature(const ShortText &text, const std::string &name) {
    const std::string expected =
        "a signature is " + std::to_string(VESSA_SIGNATURE_TEXT_LEN) + " hexadecimal digits";
    if (text.text.empty()) {
        throw ToolError(name + " is empty; " + expected);
    }
    for (size_t i = 0; i < text.text.size(); ++i) {
        if (DigitValue(text.text[i]) < 0) {
            throw ToolError(name + ": " +
                            DescribeByteAt(static_cast<unsigned char>(text.text[i]),
                                           text.offset + i) +
                            " is not a hexadecimal digit; " + expected);
        }
    }
    if (text.text.size() != VESSA_SIGNATURE_TEXT_LEN) {
        throw ToolError(name + " holds " + std::to_string(text.text.size()) + " digits; " +
                        expected);
    }
    return {ReadLittleEndian(text.text, 0), ReadLittleEndian(text.text, 8)};
}

}  // namespace vessa_tool
