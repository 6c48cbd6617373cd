// Invariants of the operations that take a key text, fed hand-made key texts
// and scalars of any size: sign, ecc_generate_public, encrypt and decrypt
// accept exactly the texts the key readers accept, write nothing when they
// refuse, and a scalar from the generated range signs and verifies and
// decrypts what was encrypted to it.
#pragma once

#include "fuzz_support.h"

namespace vessa_fuzz {

inline constexpr int64_t kGeneratedLow = 14274;  // floor(n / 7)
inline constexpr int64_t kGeneratedHigh = 99919;  // n

inline int64_t Int64From(InputReader &input) {
    const auto low = static_cast<uint32_t>(input.Int32());
    const auto high = static_cast<uint32_t>(input.Int32());
    return static_cast<int64_t>(uint64_t{low} | uint64_t{high} << 32);
}

// A private key text as the input asks for it (`mode`, 0-3): the packing of
// the scalar as it is, of the scalar brought into the generated range, the
// packing with up to three characters replaced, or raw bytes.
inline std::string HandMadePrivate(uint8_t mode, int64_t scalar, InputReader &input) {
    switch (mode) {
    case 0:
        return PackedPrivate(scalar);
    case 1: {
        const auto span = static_cast<uint64_t>(kGeneratedHigh - kGeneratedLow);
        return PackedPrivate(kGeneratedLow +
                             static_cast<int64_t>(static_cast<uint64_t>(scalar) % span));
    }
    case 2: {
        std::string text = PackedPrivate(scalar);
        for (int i = input.Byte() % 4; i > 0; --i) {
            const uint8_t where = input.Byte();
            text[where % text.size()] = static_cast<char>(input.Byte());
        }
        return text.substr(0, std::strlen(text.c_str()));  // a NUL ends it early
    }
    default:
        return input.TextUpToNul();
    }
}

// A public key text: the one derived from the private key, or the packing of
// a point of any coordinates.
inline std::string PublicFor(bool derived, const char *priv, int64_t x, int64_t y) {
    const EccCurve *curve = Keys().curve.get();
    char buf[VESSA_KEY_TEXT_SIZE] = "";
    if (derived) {
        ecc_generate_public(curve, priv, buf, sizeof(buf));  // "" for a refused key
    } else {
        FUZZ_CHECK(package_public(point_new(x, y), buf, sizeof(buf)) == VESSA_KEY_TEXT_LEN);
    }
    return buf;
}

// Input: flags, the scalar (8 bytes), the public-key capacity, a byte value,
// a point's coordinates (8 bytes each) and a masked value (8 bytes), the
// key-text changes of mode 2 or the raw text of mode 3, then the message.
// Flag bits 0-1 choose the private key text; bit 2 encrypts to a packed
// point rather than to the derived public key, bit 4 to the input's point
// itself; bit 3 decrypts the input's point rather than the ciphertext's.
inline void CheckKeyOperationInput(const uint8_t *data, size_t size) {
    const EccCurve *curve = Keys().curve.get();
    InputReader input(data, size);
    const uint8_t flags = input.Byte();
    const int64_t scalar = Int64From(input);
    const int32_t raw_capacity = input.Int32();
    const uint8_t value = input.Byte();
    const int64_t x = Int64From(input);
    const int64_t y = Int64From(input);
    const int64_t masked = Int64From(input);
    const auto priv = ExactCopy(HandMadePrivate(flags & 3, scalar, input));
    const auto msg = ExactCopy(input.TextUpToNul());

    int64_t d = kCanary64;
    const bool key_ok = resolve_private(priv.get(), &d) == 0;
    FUZZ_CHECK(key_ok || d == kCanary64);

    int32_t s = kCanary32;
    int32_t e = kCanary32;
    FUZZ_CHECK(sign(curve, priv.get(), msg.get(), &s, &e) == (key_ok ? 0 : -1));
    FUZZ_CHECK(key_ok || (s == kCanary32 && e == kCanary32));

    // Capacities around the text's size, or anything.
    const int32_t capacity =
        (raw_capacity & 1) != 0 ? VESSA_KEY_TEXT_SIZE - 2 + (raw_capacity >> 1 & 3) : raw_capacity;
    GuardedBuffer pub(capacity <= 0 ? 0 : std::min<size_t>(static_cast<size_t>(capacity), VESSA_KEY_TEXT_SIZE));
    const int32_t made = ecc_generate_public(curve, priv.get(), pub.chars(), capacity);
    FUZZ_CHECK(made == (key_ok && capacity >= VESSA_KEY_TEXT_SIZE ? VESSA_KEY_TEXT_LEN : -1));
    if (made < 0) {
        FUZZ_CHECK(pub.UntouchedFrom(0));
    } else {
        FUZZ_CHECK(pub[VESSA_KEY_TEXT_LEN] == 0 && pub.UntouchedFrom(VESSA_KEY_TEXT_SIZE));
        int64_t qx = 0;
        int64_t qy = 0;
        FUZZ_CHECK(resolve_public(pub.chars(), &qx, &qy) == 0);
    }

    // A point of any coordinates is mostly off the curve and costs the
    // literal chain of additions (milliseconds); bit 4 asks for one, else the
    // packed point is the curve point x*G.
    const bool derived = (flags & 4) == 0;
    int64_t px = x;
    int64_t py = y;
    if ((flags & 16) == 0) {
        const std::string multiple = PublicFor(true, PackedPrivate(x).c_str(), 0, 0);
        if (multiple.empty() || resolve_public(multiple.c_str(), &px, &py) != 0) {
            px = x;  // x was no usable scalar: keep the point as given
            py = y;
        }
    }
    const auto pub_text = ExactCopy(PublicFor(derived, priv.get(), px, py));
    int64_t qx = 0;
    int64_t qy = 0;
    const bool pub_ok = resolve_public(pub_text.get(), &qx, &qy) == 0;
    FUZZ_CHECK(pub_ok == (!derived || key_ok));
    EccCiphertext ct{{kCanary64, kCanary64}, kCanary64};
    FUZZ_CHECK(encrypt(curve, pub_text.get(), value, &ct) == (pub_ok ? 0 : -1));
    FUZZ_CHECK(pub_ok || (ct.point.x == kCanary64 && ct.point.y == kCanary64 && ct.masked == kCanary64));

    // A point of the input is mostly off the curve, which costs the literal
    // chain of additions; bit 3 takes the ciphertext's own point instead.
    const EccPoint r = (flags & 8) != 0 || !pub_ok ? EccPoint{x, y} : ct.point;
    uint8_t decrypted = GuardedBuffer::kCanary;
    FUZZ_CHECK(decrypt(curve, priv.get(), &decrypted, EccCiphertext{r, masked}) == (key_ok ? 0 : -1));
    FUZZ_CHECK(key_ok || decrypted == GuardedBuffer::kCanary);

    // A scalar from the generated range is a working key.
    if (key_ok && d >= kGeneratedLow && d < kGeneratedHigh) {
        FUZZ_CHECK(made < 0 || verify(curve, pub.chars(), msg.get(), s, e) == 0);
        if (derived) {
            FUZZ_CHECK(decrypt(curve, priv.get(), &decrypted, ct) == 0 && decrypted == value);
        }
    }
}

}  // namespace vessa_fuzz
