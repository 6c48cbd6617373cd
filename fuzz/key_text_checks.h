// Invariants of the two key-text readers, checked against a small decoder of
// our own written from the format's rules, and of re-packing what they
// accept.
#pragma once

#include <array>
#include <optional>

#include "fuzz_support.h"

namespace vessa_fuzz {

using KeyBlockBytes = std::array<uint8_t, 128>;

inline int Base64Value(char c) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
}

inline int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Strict base64: symbols, then at most the "=" that complete the last
// group; never a lone symbol in the last group; unused bits zero.
inline std::optional<std::string> StrictBase64Decode(const std::string &text) {
    size_t symbols = text.size();
    while (symbols > 0 && text[symbols - 1] == '=') {
        --symbols;
    }
    const size_t padding = text.size() - symbols;
    const size_t tail = symbols % 4;
    if (tail == 1 || tail + padding > 4 || (padding > 0 && tail < 2)) {
        return std::nullopt;
    }
    std::string out;
    uint32_t bits = 0;
    unsigned pending = 0;
    for (size_t i = 0; i < symbols; ++i) {
        const int v = Base64Value(text[i]);
        if (v < 0) {
            return std::nullopt;  // this includes an "=" before the padding
        }
        bits = (bits << 6) | static_cast<uint32_t>(v);
        pending += 6;
        if (pending >= 8) {
            pending -= 8;
            out.push_back(static_cast<char>((bits >> pending) & 0xFF));
        }
    }
    if ((bits & ((1U << pending) - 1)) != 0) {
        return std::nullopt;
    }
    return out;
}

// The block a key reader must find in `text`, or nullopt when it must refuse.
inline std::optional<KeyBlockBytes> ExpectedBlock(const std::string &text) {
    const auto hex = StrictBase64Decode(text);
    if (!hex || hex->size() != 256) {
        return std::nullopt;
    }
    KeyBlockBytes block{};
    for (size_t i = 0; i < block.size(); ++i) {
        const int hi = HexValue((*hex)[2 * i]);
        const int lo = HexValue((*hex)[2 * i + 1]);
        if (hi < 0 || lo < 0) {
            return std::nullopt;
        }
        block[i] = static_cast<uint8_t>(hi * 16 + lo);
    }
    return block;
}

inline int64_t LoadLittleEndian(const KeyBlockBytes &block, size_t offset) {
    uint64_t bits = 0;
    for (size_t i = 8; i-- > 0;) {
        bits = (bits << 8) | block[offset + i];
    }
    return static_cast<int64_t>(bits);
}

// A freshly packed text: 344 characters and a NUL, nothing after them,
// lowercase digits inside, key bytes where they belong and filler from 1 to
// 254 everywhere else.
inline void CheckPackedText(const GuardedBuffer &buf, int64_t first, const int64_t *second) {
    const std::string text(reinterpret_cast<const char *>(buf.data()), VESSA_KEY_TEXT_LEN);
    FUZZ_CHECK(buf[VESSA_KEY_TEXT_LEN] == 0);
    FUZZ_CHECK(buf.UntouchedFrom(VESSA_KEY_TEXT_SIZE));
    FUZZ_CHECK(text.size() == 344 && text.substr(342) == "==");
    const auto hex = StrictBase64Decode(text);
    FUZZ_CHECK(hex && hex->size() == 256);
    FUZZ_CHECK(hex->find_first_not_of("0123456789abcdef") == std::string::npos);
    const auto block = ExpectedBlock(text);
    FUZZ_CHECK(block.has_value());
    FUZZ_CHECK(LoadLittleEndian(*block, 13) == first);
    const size_t key_end = second != nullptr ? 29 : 21;
    if (second != nullptr) {
        FUZZ_CHECK(LoadLittleEndian(*block, 21) == *second);
    }
    for (size_t i = 0; i < block->size(); ++i) {
        if (i < 13 || i >= key_end) {
            FUZZ_CHECK((*block)[i] >= 1 && (*block)[i] <= 254);
        }
    }
}

inline void CheckKeyTextInput(const uint8_t *data, size_t size) {
    InputReader input(data, size);
    const std::string raw = input.TextUpToNul();
    const auto text = ExactCopy(raw);
    const auto expected = ExpectedBlock(raw);

    int64_t d = kCanary64;
    const int32_t rc_private = resolve_private(text.get(), &d);
    int64_t x = kCanary64;
    int64_t y = kCanary64;
    const int32_t rc_public = resolve_public(text.get(), &x, &y);
    if (!expected) {
        FUZZ_CHECK(rc_private == -1 && d == kCanary64);
        FUZZ_CHECK(rc_public == -1 && x == kCanary64 && y == kCanary64);
        return;
    }
    FUZZ_CHECK(rc_private == 0 && rc_public == 0);
    FUZZ_CHECK(d == LoadLittleEndian(*expected, 13));
    FUZZ_CHECK(x == d && y == LoadLittleEndian(*expected, 21));

    // Re-packing: a buffer one byte short is left alone, an exact one holds
    // a fresh text that reads back to the same key.
    GuardedBuffer small(VESSA_KEY_TEXT_LEN);
    FUZZ_CHECK(package_private(d, small.chars(), VESSA_KEY_TEXT_LEN) == -1);
    FUZZ_CHECK(small.UntouchedFrom(0));
    GuardedBuffer packed(VESSA_KEY_TEXT_SIZE);
    FUZZ_CHECK(package_private(d, packed.chars(), VESSA_KEY_TEXT_SIZE) == VESSA_KEY_TEXT_LEN);
    CheckPackedText(packed, d, nullptr);
    int64_t again = kCanary64;
    FUZZ_CHECK(resolve_private(packed.chars(), &again) == 0 && again == d);

    GuardedBuffer packed_point(VESSA_KEY_TEXT_SIZE);
    FUZZ_CHECK(package_public(point_new(x, y), packed_point.chars(), VESSA_KEY_TEXT_SIZE) ==
               VESSA_KEY_TEXT_LEN);
    CheckPackedText(packed_point, x, &y);
    int64_t x2 = kCanary64;
    int64_t y2 = kCanary64;
    FUZZ_CHECK(resolve_public(packed_point.chars(), &x2, &y2) == 0 && x2 == x && y2 == y);
}

}  // namespace vessa_fuzz
