// Invariants of encrypt_string and decrypt_to_string: the order of their
// checks, nothing written on failure or past the stated bytes, and
// agreement with the one-value functions.
#pragma once

#include "fuzz_support.h"

namespace vessa_fuzz {

// The result decrypt_to_string must give before any decryption happens.
inline int32_t ExpectedDecryptResult(bool key_ok, int32_t count, int32_t capacity) {
    if (!key_ok) return -1;
    if (count % VESSA_CIPHERTEXT_ENTRY_SIZE != 0) return -2;
    const int32_t n = count < 0 ? 0 : count / VESSA_CIPHERTEXT_ENTRY_SIZE;
    return n >= capacity ? -3 : n;
}

inline int32_t ExpectedEncryptResult(bool key_ok, size_t length, int32_t capacity) {
    if (!key_ok) return -1;
    if ((length & 0x8000U) != 0) return -2;
    const int64_t size = static_cast<int64_t>(length) * VESSA_CIPHERTEXT_ENTRY_SIZE;
    return size > capacity ? -4 : static_cast<int32_t>(size);
}

// Room a buffer of stated capacity needs in the harness: the capacity
// itself, but never more than `most` (what a correct call can write), so a
// huge stated capacity stays cheap.
inline size_t BackedSize(int32_t capacity, size_t most) {
    return capacity <= 0 ? 0 : std::min(static_cast<size_t>(capacity), most);
}

// Decrypts `ciphertext` into a guarded buffer and checks the result against
// `expected`, against decrypt() of every entry and, when given, against the
// text that was encrypted.
inline void CheckDecryption(const char *priv, const uint8_t *ciphertext, int32_t count,
                            int32_t capacity, int32_t expected,
                            const std::string *plain = nullptr) {
    const EccCurve *curve = Keys().curve.get();
    const size_t entries = count > 0 ? static_cast<size_t>(count) / VESSA_CIPHERTEXT_ENTRY_SIZE : 0;
    GuardedBuffer out(BackedSize(capacity, entries + 1));
    const int32_t rc = decrypt_to_string(curve, priv, ciphertext, count, out.chars(), capacity);
    FUZZ_CHECK(rc == expected);
    if (rc < 0) {
        FUZZ_CHECK(out.UntouchedFrom(0));
        return;
    }
    const auto n = static_cast<size_t>(rc);
    FUZZ_CHECK(out[n] == 0 && out.UntouchedFrom(n + 1));
    for (size_t i = 0; i < n; ++i) {
        uint8_t value = GuardedBuffer::kCanary;
        FUZZ_CHECK(decrypt(curve, priv, &value, EntryAt(ciphertext, i)) == 0);
        FUZZ_CHECK(out[i] == value);
        if (plain != nullptr) {
            FUZZ_CHECK(value == static_cast<uint8_t>((*plain)[i]));
        }
    }
}

// Input: flags, a key-damage position, the raw count, the raw capacity, then
// the ciphertext bytes. Flag bit 0 spoils the private key, bit 1 makes the
// count a whole number of entries, bit 2 puts the capacity next to the
// smallest that fits.
inline void CheckDecryptInput(const uint8_t *data, size_t size) {
    const FuzzKeys &keys = Keys();
    InputReader input(data, size);
    const uint8_t flags = input.Byte();
    const uint8_t where = input.Byte();
    const int32_t raw_count = input.Int32();
    const int32_t raw_capacity = input.Int32();
    const std::vector<uint8_t> ciphertext = input.Rest();
    const bool key_ok = (flags & 1) == 0;
    const std::string priv = key_ok ? keys.priv : Corrupted(keys.priv, where);

    // Counts above the bytes supplied are outside the contract; negative
    // ones are kept, they must yield an empty text or a refusal.
    const auto available = static_cast<int32_t>(ciphertext.size());
    int32_t count = raw_count;
    if ((flags & 2) != 0) {
        const int32_t whole = available / VESSA_CIPHERTEXT_ENTRY_SIZE + 1;
        count = (raw_count % whole) * VESSA_CIPHERTEXT_ENTRY_SIZE;
    }
    if (count > available) {
        count %= available + 1;
    }
    int32_t capacity = raw_capacity;
    if ((flags & 4) != 0) {
        const int32_t n = count > 0 ? count / VESSA_CIPHERTEXT_ENTRY_SIZE : 0;
        capacity = n + (raw_capacity & 3) - 1;
    }
    const auto priv_text = ExactCopy(priv);
    CheckDecryption(priv_text.get(), ciphertext.data(), count, capacity,
                    ExpectedDecryptResult(key_ok, count, capacity));
}

// Input: flags, a key-damage position, the raw capacity, then the text up to
// a NUL. Flag bit 0 spoils the public key; bit 1 stretches the text to a
// length the call must refuse without encrypting (bit 15 set, or too long
// for the capacity); bit 2 puts the capacity next to 12 * length.
inline void CheckEncryptInput(const uint8_t *data, size_t size) {
    const FuzzKeys &keys = Keys();
    const EccCurve *curve = keys.curve.get();
    InputReader input(data, size);
    const uint8_t flags = input.Byte();
    const uint8_t where = input.Byte();
    const int32_t raw_capacity = input.Int32();
    std::string text = input.TextUpToNul();
    const bool key_ok = (flags & 1) == 0;
    const std::string pub = key_ok ? keys.pub : Corrupted(keys.pub, where);
    int32_t capacity = raw_capacity;
    const bool stretch = (flags & 2) != 0;
    if (stretch) {
        // 0x8000 + k is refused for its length whatever the capacity;
        // 0x10000 + k passes that test and must be refused for the capacity.
        const size_t base = (where & 1) != 0 ? 0x8000 : 0x10000;
        text.resize(base + text.size(), 'x');
        if (base == 0x10000) {
            const auto need = static_cast<int32_t>(text.size() * VESSA_CIPHERTEXT_ENTRY_SIZE);
            capacity = raw_capacity < 0 ? raw_capacity : raw_capacity % need;
        }
    } else if ((flags & 4) != 0) {
        capacity = static_cast<int32_t>(text.size() * VESSA_CIPHERTEXT_ENTRY_SIZE) +
                   (raw_capacity & 1) - 1;
    }
    const int32_t expected = ExpectedEncryptResult(key_ok, text.size(), capacity);
    const auto pub_text = ExactCopy(pub);
    const auto plain = ExactCopy(text);
    GuardedBuffer out(stretch ? 0 : BackedSize(capacity, text.size() * VESSA_CIPHERTEXT_ENTRY_SIZE));
    if (stretch) {
        FUZZ_CHECK(expected < 0);  // a stretched text is never encrypted here
    }
    const int32_t rc = encrypt_string(curve, pub_text.get(), plain.get(), out.data(), capacity);
    FUZZ_CHECK(rc == expected);
    if (rc < 0) {
        FUZZ_CHECK(out.UntouchedFrom(0));
        return;
    }
    FUZZ_CHECK(out.UntouchedFrom(static_cast<size_t>(rc)));
    // Every entry decrypts to its byte, through both decryption functions.
    const auto n = static_cast<int32_t>(text.size());
    CheckDecryption(keys.priv.c_str(), out.data(), rc, n + 1, n, &text);
}

}  // namespace vessa_fuzz
