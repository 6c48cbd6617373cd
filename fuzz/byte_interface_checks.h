// Invariants of the functions over messages and plaintexts of any bytes:
// a message streamed in any pieces signs and verifies as its bytes in one
// piece, and as its text where it has no NUL; byte encryption agrees with
// the text functions where both apply; stated capacities are kept to the
// byte, and nothing is written on failure.
#pragma once

#include "fuzz_support.h"

namespace vessa_fuzz {

// `message` absorbed in pieces whose sizes come from `splits` (cycled).
inline VessaMessage Streamed(const std::vector<uint8_t> &message, const std::vector<uint8_t> &splits) {
    VessaMessage m;
    vessa_message_init(&m);
    size_t at = 0;
    for (size_t i = 0; at < message.size(); ++i) {
        const size_t piece = splits.empty() ? message.size() : splits[i % splits.size()] % 17;
        if (piece == 0) {
            vessa_message_update(&m, nullptr, 0);  // an empty piece changes nothing
        }
        const size_t len = std::min(std::max<size_t>(piece, 1), message.size() - at);
        vessa_message_update(&m, message.data() + at, len);
        at += len;
    }
    return m;
}

inline void CheckSignatures(bool key_ok, const std::string &priv, const std::vector<uint8_t> &message,
                            const std::vector<uint8_t> &splits) {
    const FuzzKeys &keys = Keys();
    const EccCurve *curve = keys.curve.get();
    const uint8_t *bytes = message.empty() ? nullptr : message.data();
    int32_t s = kCanary32;
    int32_t e = kCanary32;
    FUZZ_CHECK(vessa_sign_bytes(curve, priv.c_str(), bytes, message.size(), &s, &e) ==
               (key_ok ? VESSA_OK : VESSA_ERR_INVALID));
    const VessaMessage streamed = Streamed(message, splits);
    int32_t ms = kCanary32;
    int32_t me = kCanary32;
    FUZZ_CHECK(vessa_sign_message(curve, priv.c_str(), &streamed, &ms, &me) ==
               (key_ok ? VESSA_OK : VESSA_ERR_INVALID));
    if (!key_ok) {
        FUZZ_CHECK(s == kCanary32 && e == kCanary32 && ms == kCanary32 && me == kCanary32);
        return;
    }
    // Each form accepts what the other made.
    FUZZ_CHECK(vessa_verify_message(curve, keys.pub.c_str(), &streamed, s, e) == VESSA_OK);
    FUZZ_CHECK(vessa_verify_bytes(curve, keys.pub.c_str(), bytes, message.size(), ms, me) == VESSA_OK);
    const VessaMessage other = Streamed(message, {});
    FUZZ_CHECK(vessa_verify_message(curve, keys.pub.c_str(), &other, ms, me) == VESSA_OK);
    if (std::find(message.begin(), message.end(), 0) == message.end()) {
        const std::string text(message.begin(), message.end());
        FUZZ_CHECK(verify(curve, keys.pub.c_str(), text.c_str(), s, e) == VESSA_OK);
        int32_t ts = 0;
        int32_t te = 0;
        FUZZ_CHECK(sign(curve, priv.c_str(), text.c_str(), &ts, &te) == VESSA_OK);
        FUZZ_CHECK(vessa_verify_bytes(curve, keys.pub.c_str(), bytes, message.size(), ts, te) == VESSA_OK);
    }
}

// The plaintext that `ciphertext` (count bytes) decrypts to, through
// vessa_decrypt_bytes with capacities around the exact one.
inline std::vector<uint8_t> DecryptedBytes(const uint8_t *ciphertext, size_t count, uint8_t slack) {
    const EccCurve *curve = Keys().curve.get();
    const std::string &priv = Keys().priv;
    const size_t n = count / VESSA_CIPHERTEXT_ENTRY_SIZE;
    const size_t capacity = n + slack % 3;  // n, n + 1 or n + 2
    GuardedBuffer out(capacity);
    if (n > 0) {
        GuardedBuffer short_out(n - 1);
        FUZZ_CHECK(vessa_decrypt_bytes(curve, priv.c_str(), ciphertext, count, short_out.data(), n - 1) ==
                   VESSA_ERR_PLAINTEXT_BUFFER);
        FUZZ_CHECK(short_out.UntouchedFrom(0));
    }
    FUZZ_CHECK(vessa_decrypt_bytes(curve, priv.c_str(), ciphertext, count, out.data(), capacity) == VESSA_OK);
    FUZZ_CHECK(out.UntouchedFrom(n));  // no NUL, nothing past the bytes
    return {out.data(), out.data() + n};
}

inline void CheckByteEncryption(bool key_ok, const std::string &pub, const std::vector<uint8_t> &plain,
                                int32_t raw_capacity) {
    const EccCurve *curve = Keys().curve.get();
    const size_t need = plain.size() * VESSA_CIPHERTEXT_ENTRY_SIZE;
    // Capacities next to the exact one, or anything up to twice that.
    const size_t capacity = (raw_capacity & 1) != 0
                                ? need + static_cast<size_t>(raw_capacity >> 1 & 15) - 8
                                : static_cast<size_t>(static_cast<uint32_t>(raw_capacity)) % (2 * need + 16);
    const int32_t expected = !key_ok ? VESSA_ERR_INVALID
                             : plain.size() > capacity / VESSA_CIPHERTEXT_ENTRY_SIZE
                                 ? VESSA_ERR_CIPHERTEXT_BUFFER
                                 : VESSA_OK;
    GuardedBuffer out(std::min(capacity, need + 16));
    const uint8_t *bytes = plain.empty() ? nullptr : plain.data();
    FUZZ_CHECK(vessa_encrypt_bytes(curve, pub.c_str(), bytes, plain.size(), out.data(), capacity) == expected);
    if (expected != VESSA_OK) {
        FUZZ_CHECK(out.UntouchedFrom(0));
        return;
    }
    FUZZ_CHECK(out.UntouchedFrom(need));
    FUZZ_CHECK(DecryptedBytes(out.data(), need, static_cast<uint8_t>(raw_capacity)) == plain);
    // A ragged count is refused before anything is written.
    if (need > 0) {
        GuardedBuffer ragged(plain.size());
        FUZZ_CHECK(vessa_decrypt_bytes(curve, Keys().priv.c_str(), out.data(), need - 1, ragged.data(),
                                       plain.size()) == VESSA_ERR_LENGTH);
        FUZZ_CHECK(ragged.UntouchedFrom(0));
    }
    // Where the text functions apply too, each side decrypts the other's.
    if (std::find(plain.begin(), plain.end(), 0) == plain.end() && plain.size() < 0x8000) {
        const std::string text(plain.begin(), plain.end());
        const auto n = static_cast<int32_t>(plain.size());
        std::vector<char> decrypted(plain.size() + 1);
        FUZZ_CHECK(decrypt_to_string(curve, Keys().priv.c_str(), out.data(), static_cast<int32_t>(need),
                                     decrypted.data(), n + 1) == n);
        FUZZ_CHECK(std::string(decrypted.data()) == text);
        std::vector<uint8_t> from_text(need + 1);
        FUZZ_CHECK(encrypt_string(curve, pub.c_str(), text.c_str(), from_text.data(),
                                  static_cast<int32_t>(need)) == static_cast<int32_t>(need));
        FUZZ_CHECK(DecryptedBytes(from_text.data(), need, 0) == plain);
    }
}

// Input: flags, a key-damage position, the split sizes (a count byte, then
// that many bytes), the raw capacity, then the message bytes. Flag bit 0
// spoils the private key, bit 1 the public key.
inline void CheckByteInterfaceInput(const uint8_t *data, size_t size) {
    const FuzzKeys &keys = Keys();
    InputReader input(data, size);
    const uint8_t flags = input.Byte();
    const uint8_t where = input.Byte();
    std::vector<uint8_t> splits(input.Byte() % 8);
    for (uint8_t &split : splits) {
        split = input.Byte();
    }
    const int32_t raw_capacity = input.Int32();
    const std::vector<uint8_t> message = input.Rest();
    const bool priv_ok = (flags & 1) == 0;
    const bool pub_ok = (flags & 2) == 0;
    CheckSignatures(priv_ok, priv_ok ? keys.priv : Corrupted(keys.priv, where), message, splits);
    CheckByteEncryption(pub_ok, pub_ok ? keys.pub : Corrupted(keys.pub, where), message, raw_capacity);
}

}  // namespace vessa_fuzz
