// Seed inputs for each harness, made with the library itself: well-formed
// cases and the boundaries around them. The corpus generator writes them to
// files; the replay test runs them directly.
#pragma once

#include <map>

#include "../tests/support/plain_base64.h"
#include "fuzz_support.h"

namespace vessa_fuzz {

using Input = std::vector<uint8_t>;

class InputBuilder {
public:
    InputBuilder &Byte(uint8_t b) {
        bytes_.push_back(b);
        return *this;
    }
    InputBuilder &Int32(int32_t v) {
        const auto bits = static_cast<uint32_t>(v);
        for (unsigned i = 0; i < 4; ++i) {
            bytes_.push_back(static_cast<uint8_t>(bits >> (8 * i)));
        }
        return *this;
    }
    InputBuilder &Text(const std::string &text) {
        bytes_.insert(bytes_.end(), text.begin(), text.end());
        return *this;
    }
    InputBuilder &TextNul(const std::string &text) { return Text(text).Byte(0); }
    InputBuilder &Bytes(const uint8_t *data, size_t size) {
        bytes_.insert(bytes_.end(), data, data + size);
        return *this;
    }
    Input Build() const { return bytes_; }

private:
    Input bytes_;
};


inline std::string HexOfBlock(const std::vector<uint8_t> &block, bool upper) {
    const char *digits = upper ? "0123456789ABCDEF" : "0123456789abcdef";
    std::string hex;
    for (uint8_t b : block) {
        hex += digits[b >> 4];
        hex += digits[b & 15];
    }
    return hex;
}

inline std::vector<Input> KeyTextSeeds() {
    const FuzzKeys &keys = Keys();
    std::vector<uint8_t> block(128, 0x41);
    block[13] = 0x31;
    block[14] = 0xD4;  // 54321, little-endian
    std::vector<uint8_t> extreme = block;
    for (size_t i = 0; i < 128; ++i) {
        extreme[i] = (i % 2 == 0) ? 0x00 : 0xFF;  // filler 00 and FF is accepted
    }
    const std::string hex = HexOfBlock(block, false);
    std::vector<std::string> texts = {
        keys.priv,
        keys.pub,
        keys.priv.substr(0, 343),
        keys.priv.substr(0, 342),
        keys.priv + "=",
        keys.priv + "\n",
        " " + keys.priv,
        vessa_test::PlainBase64Encode(HexOfBlock(block, true)),
        vessa_test::PlainBase64Encode(HexOfBlock(extreme, false)),
        vessa_test::PlainBase64Encode(hex.substr(0, 255)),
        vessa_test::PlainBase64Encode(hex + "0"),
        vessa_test::PlainBase64Encode(hex.substr(0, 255) + "g"),
        vessa_test::PlainBase64Encode(hex.substr(0, 64) + "-" + hex.substr(65)),
        "",
        "QQ",
        "QR==",
    };
    std::vector<Input> seeds;
    for (const auto &text : texts) {
        seeds.push_back(InputBuilder().Text(text).Build());
    }
    return seeds;
}

inline std::string SignatureFor(const std::string &msg) {
    const FuzzKeys &keys = Keys();
    char sig[VESSA_SIGNATURE_TEXT_SIZE];
    FUZZ_CHECK(sign_to_hex_string(keys.curve.get(), keys.priv.c_str(), msg.c_str(), sig,
                                  sizeof(sig)) == 0);
    return sig;
}

inline std::vector<Input> SignatureTextSeeds() {
    const std::string genuine = SignatureFor("hello");
    std::string upper = genuine;
    for (char &c : upper) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return {
        InputBuilder().Byte(0).Byte(0).TextNul(genuine).TextNul("hello").Build(),
        InputBuilder().Byte(0).Byte(0).TextNul(upper).TextNul("hello").Build(),
        InputBuilder().Byte(0).Byte(0).TextNul(genuine).TextNul("hellO").Build(),
        InputBuilder().Byte(1).Byte(7).TextNul(genuine).TextNul("hello").Build(),
        InputBuilder().Byte(0).Byte(0).TextNul(genuine.substr(0, 15)).TextNul("hello").Build(),
        InputBuilder().Byte(0).Byte(0).TextNul(genuine + "0").TextNul("hello").Build(),
        InputBuilder().Byte(0).Byte(0).TextNul("g" + genuine.substr(1)).TextNul("hello").Build(),
        InputBuilder().Byte(2).Byte(17).TextNul("").TextNul("").Build(),
        InputBuilder().Byte(2).Byte(16).TextNul("").TextNul("a message").Build(),
        InputBuilder().Byte(3).Byte(20).TextNul("").TextNul("a message").Build(),
    };
}

inline std::vector<Input> EncryptSeeds() {
    const std::string utf8 = "gr\xc3\xbc\xc3\x9f dich";
    return {
        InputBuilder().Byte(0).Byte(0).Int32(60).TextNul("hello").Build(),
        InputBuilder().Byte(4).Byte(0).Int32(0).TextNul("edge").Build(),
        InputBuilder().Byte(4).Byte(0).Int32(1).TextNul("edge").Build(),
        InputBuilder().Byte(0).Byte(0).Int32(0).TextNul("").Build(),
        InputBuilder().Byte(0).Byte(0).Int32(-1).TextNul("").Build(),
        InputBuilder().Byte(0).Byte(0).Int32(1000).TextNul(utf8).Build(),
        InputBuilder().Byte(1).Byte(9).Int32(2).TextNul("too long for the buffer").Build(),
        InputBuilder().Byte(2).Byte(1).Int32(1 << 30).TextNul("ab").Build(),
        InputBuilder().Byte(2).Byte(0).Int32(786431).TextNul("").Build(),
    };
}

inline std::vector<Input> DecryptSeeds() {
    const FuzzKeys &keys = Keys();
    uint8_t ct[24];
    FUZZ_CHECK(encrypt_string(keys.curve.get(), keys.pub.c_str(), "hi", ct, sizeof(ct)) == 24);
    const auto with = [&](uint8_t flags, int32_t count, int32_t capacity) {
        return InputBuilder().Byte(flags).Byte(3).Int32(count).Int32(capacity).Bytes(ct, 24).Build();
    };
    return {
        with(0, 24, 3), with(0, 24, 2), with(0, 13, 100), with(0, 0, 1),
        with(0, 0, 0),  with(0, -12, 1), with(0, -12, 0), with(1, 24, 3),
        with(6, 2, 0),  with(4, 12, 2),
    };
}

inline InputBuilder &Int64(InputBuilder &builder, int64_t v) {
    const auto bits = static_cast<uint64_t>(v);
    return builder.Int32(static_cast<int32_t>(bits & 0xFFFFFFFFU)).Int32(static_cast<int32_t>(bits >> 32));
}

// Flags (key-text mode in bits 0-1, packed point in bit 2), scalar,
// capacity, value, point, masked value, then the mode's own bytes and the
// message.
inline std::vector<Input> KeyOperationSeeds() {
    const auto with = [](uint8_t flags, int64_t scalar, int32_t capacity, int64_t x, int64_t y,
                         const std::string &rest) {
        InputBuilder b;
        b.Byte(flags);
        Int64(b, scalar).Int32(capacity).Byte(200);
        Int64(Int64(Int64(b, x), y), 1234567);
        return b.Text(rest).Build();
    };
    return {
        with(0, 54321, VESSA_KEY_TEXT_SIZE, 2617, 5304, std::string("message", 8)),
        with(1, -7, 3, 2617, 5304, std::string("m", 2)),              // capacity 344 + 1
        with(0, INT64_MIN, 0, 0, 0, ""),                              // any scalar packs
        with(0, 99919, 1000, -1, -1, std::string("at n", 5)),
        with(4, 14274, VESSA_KEY_TEXT_SIZE, 99990, 99990, "x"),       // a point off the curve
        with(2, 54321, VESSA_KEY_TEXT_SIZE, 5, 6, std::string("\x02\x10Q\x20=", 5) + "msg"),
        with(3, 0, VESSA_KEY_TEXT_SIZE, 1, 2, Keys().priv.substr(0, 343) + std::string(1, '\0') + "m"),
        with(3, 0, VESSA_KEY_TEXT_SIZE, 1, 2, Keys().pub + std::string(1, '\0')),
    };
}

// Flags, key-damage position, split sizes (count, then sizes), capacity,
// then the message bytes.
inline std::vector<Input> ByteInterfaceSeeds() {
    const auto with = [](uint8_t flags, std::vector<uint8_t> splits, int32_t capacity,
                         const std::string &message) {
        InputBuilder b;
        b.Byte(flags).Byte(5).Byte(static_cast<uint8_t>(splits.size()));
        for (uint8_t split : splits) b.Byte(split);
        return b.Int32(capacity).Text(message).Build();
    };
    return {
        with(0, {}, 1 + (8 << 1), "hello"),                          // exact capacity
        with(0, {1, 3}, 1 + (7 << 1), "one short of room"),
        with(0, {0, 16, 2}, 1 + (15 << 1), std::string("nul\0inside", 10)),
        with(0, {}, 0, ""),
        with(1, {2}, 1000, "bad private key"),
        with(2, {2}, 1000, "bad public key"),
        with(0, {5}, 400, std::string("\xff\x00\x80 bytes", 9)),
    };
}

// The reader (0 base64, 1 signature, 2 arguments, 3 key file), the split
// sizes, then the text.
inline std::vector<Input> ToolReaderSeeds() {
    const FuzzKeys &keys = Keys();
    const std::string sig = SignatureFor("hello");
    const auto with = [](uint8_t reader, const std::string &text) {
        return InputBuilder().Byte(reader).Byte(2).Byte(3).Byte(5).Text(text).Build();
    };
    return {
        with(0, "QUJD\nREVG\r\n"), with(0, "QQ=="), with(0, "QQ"), with(0, "Q"),
        with(0, "QUJD REVG=  \n"), with(0, "QR=="), with(0, "QQ==QUI="), with(0, ""),
        with(1, sig + "\n"), with(1, "  " + sig), with(1, sig.substr(0, 15)), with(1, "g" + sig.substr(1)),
        with(2, std::string("--key\0f\0-o\0out\0x", 16)), with(2, "--quiet=1"),
        with(2, std::string("--\0--key", 8)), with(2, "-h"), with(2, std::string("-kfile\0a\0b", 10)),
        with(3, keys.priv + "\n"), with(3, keys.pub + "\r\n"), with(3, keys.priv.substr(0, 343)),
        with(3, ""), with(3, keys.priv + "x"), with(3, std::string(5000, 'Q')),
    };
}

// Harness name -> its seeds.
inline std::map<std::string, std::vector<Input>> AllSeeds() {
    return {
        {"key_text", KeyTextSeeds()},
        {"verify_hex", SignatureTextSeeds()},
        {"encrypt_string", EncryptSeeds()},
        {"decrypt_to_string", DecryptSeeds()},
        {"key_operations", KeyOperationSeeds()},
        {"byte_interface", ByteInterfaceSeeds()},
        {"tool_readers", ToolReaderSeeds()},
    };
}

}  // namespace vessa_fuzz
