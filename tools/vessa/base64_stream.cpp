#include "base64_stream.h"

#include "keytext/base64.h"
#include "short_text.h"
#include "tool_error.h"

namespace vessa_tool {

void Base64LineWriter::Emit(const char *text, size_t size) {
    wrote_ = true;
    while (size > 0) {
        size_t take = std::min(size, kLineLength - column_);
        line_buffer_.append(text, take);
        text += take;
        size -= take;
        column_ += take;
        if (column_ == kLineLength) {
            line_buffer_ += '\n';
            column_ = 0;
        }
    }
    out_.Write(line_buffer_);
    line_buffer_.clear();
}

void Base64LineWriter::Write(const uint8_t *data, size_t size) {
    while (size > 0 && pending_size_ > 0 && pending_size_ < 3) {
        pending_[pending_size_++] = *data++;
        --size;
    }
    char encoded[4 * 1024];
    if (pending_size_ == 3) {
        vessa::Base64Encode(pending_, 3, encoded);
        Emit(encoded, 4);
        pending_size_ = 0;
    }
    constexpr size_t kBytesPerRound = sizeof(encoded) / 4 * 3;
    while (size >= 3) {
        size_t take = std::min(size - size % 3, kBytesPerRound);
        Emit(encoded, vessa::Base64Encode(data, take, encoded));
        data += take;
        size -= take;
    }
    for (size_t i = 0; i < size; ++i) {
        pending_[pending_size_++] = data[i];
    }
}

void Base64LineWriter::Finish() {
    if (pending_size_ > 0) {
        char encoded[4];
        Emit(encoded, vessa::Base64Encode(pending_, pending_size_, encoded));
        pending_size_ = 0;
    }
    if (column_ > 0 || !wrote_) {
        out_.Write("\n");
        column_ = 0;
    }
}

void Base64StreamReader::EndGroup(std::vector<uint8_t> &out) {
    // Two symbols carry one byte and four spare bits, three carry two bytes
    // and two spare bits; only the canonical encoding, with spare bits zero,
    // is taken.
    int data_bytes = symbols_ - 1;
    int spare_bits = symbols_ * 6 - data_bytes * 8;
    if ((bits_ & ((1u << spare_bits) - 1)) != 0) {
        throw ToolError(name_ + ": the base64 symbol at offset " +
                        std::to_string(last_symbol_offset_) +
                        " ends the text with bits that carry no data (not canonical base64)");
    }
    uint32_t value = bits_ >> spare_bits;
    for (int i = data_bytes - 1; i >= 0; --i) {
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
    }
}

void Base64StreamReader::Read(const char *text, size_t size, std::vector<uint8_t> &out) {
    for (size_t i = 0; i < size; ++i, ++offset_) {
        char c = text[i];
        if (c == '\n' || c == '\r' || c == ' ' || c == '\t') {
            continue;
        }
        uint8_t value = vessa::Base64SymbolValue(c);
        bool symbol = value != vessa::kNotBase64Symbol;
        if (symbol && !ended_ && padding_ == 0) {
            bits_ = (bits_ << 6) | value;
            last_symbol_offset_ = offset_;
            if (++symbols_ == 4) {
                out.push_back(static_cast<uint8_t>(bits_ >> 16));
                out.push_back(static_cast<uint8_t>(bits_ >> 8));
                out.push_back(static_cast<uint8_t>(bits_));
                bits_ = 0;
                symbols_ = 0;
            }
            continue;
        }
        if (c == '=' && !ended_ && symbols_ >= 2 && symbols_ + padding_ < 4) {
            if (++padding_ + symbols_ == 4) {
                EndGroup(out);
                ended_ = true;
            }
            continue;
        }
        std::string what = DescribeByteAt(static_cast<unsigned char>(c), offset_);
        if (c == '=' && !ended_ && padding_ == 0) {
            throw ToolError(name_ + ": " + what +
                            " is padding where a base64 symbol is needed");
        }
        if (symbol || c == '=') {
            throw ToolError(name_ + ": " + what + " stands after the padding that ends the base64 text");
        }
        throw ToolError(name_ + ": " + what +
                        " is not base64 (use --binary for raw ciphertext bytes)");
    }
}

void Base64StreamReader::Finish(std::vector<uint8_t> &out) {
    if (ended_ || symbols_ == 0) {
        return;
    }
    if (symbols_ == 1) {
        throw ToolError(name_ + ": the base64 text ends with a lone symbol at offset " +
                        std::to_string(last_symbol_offset_) + " (a group needs at least two)");
    }
    EndGroup(out);
    ended_ = true;
}

}  // namespace vessa_tool
