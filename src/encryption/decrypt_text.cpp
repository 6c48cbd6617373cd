#include "encryption/decrypt_text.h"

#include <cstddef>

#include "curve/dispatch/arithmetic_mode.h"
#include "curve/fast/chain_multiple.h"
#include "curve/fast/fast_path_domain.h"
#include "curve/literal/guarded_division.h"
#include "curve/fast/lane_multiples.h"
#include "encryption/decrypt_value.h"
#include "encryption/string_ciphertext.h"
#include "support/secure_wipe.h"

namespace vessa {

int32_t DecryptedTextLength(int32_t count, int32_t capacity) noexcept {
    constexpr auto kEntry = static_cast<int32_t>(kEntrySize);
    if (count % kEntry != 0) {
        return kCountNotWholeEntries;
    }
    int32_t length = count / kEntry;
    if (length < 0) {
        length = 0;
    }
    if (length >= capacity) {
        return kTextBufferTooSmall;
    }
    return length;
}

void DecryptBytes(const EccCurve &curve, int64_t d, const uint8_t *entries, std::size_t count,
                  uint8_t *out) noexcept {
    // The scalar as ScalarMultiply reduces it; below 2 it returns the point
    // itself, which DecryptValue does at no cost.
    int64_t k = d;
    if (k > curve.n) {
        k = GuardedRem(k, curve.n);
    }
    if (ReferenceArithmeticForced() || !IsFixedCurve(curve) || k < 2 ||
        static_cast<uint64_t>(k) >= kLaneScalarLimit) {
        for (std::size_t i = 0; i < count; ++i) {
            const EccCiphertext entry = LoadEntry(entries + i * kEntrySize);
            out[i] = DecryptValue(curve, d, entry.point, entry.masked);
        }
        SecureWipeObject(k);
        return;
    }
    const auto m = static_cast<uint64_t>(k);
    const GroupTable *table = ReadyGroupTable();
    AffinePoint points[kLaneBatch];
    std::size_t where[kLaneBatch];
    int64_t xs[kLaneBatch];
    for (std::size_t block = 0; block < count; block += kLaneBatch) {
        const std::size_t end = count - block < kLaneBatch ? count : block + kLaneBatch;
        std::size_t lanes = 0;
        for (std::size_t i = block; i < end; ++i) {
            const EccCiphertext entry = LoadEntry(entries + i * kEntrySize);
            AffinePoint base{};
            if (!ToFastBase(curve, entry.point, base)) {
                out[i] = DecryptValue(curve, d, entry.point, entry.masked);
            } else if (table != nullptr && OnCurve(base)) {
                EccPoint shared = ChainMultiple(curve, m, base, entry.point, table);
                out[i] = ValueFromDivisor(entry.masked, DecryptDivisor(curve, shared));
                SecureWipeObject(shared);
            } else {
                points[lanes] = base;
                where[lanes] = i;
                ++lanes;
            }
        }
        LaneMultipleXs(m, points, lanes, xs);
        for (std::size_t j = 0; j < lanes; ++j) {
            const std::size_t i = where[j];
            const EccCiphertext entry = LoadEntry(entries + i * kEntrySize);
            if (xs[j] == kLaneNotComputed) {
                out[i] = DecryptValue(curve, d, entry.point, entry.masked);
            } else {
                // The chain stores this x, or p for 0: both divide by p.
                out[i] = ValueFromDivisor(entry.masked, xs[j] == 0 ? curve.p : xs[j]);
            }
        }
    }
    SecureWipeObject(k);
    SecureWipeObject(xs);
}

int32_t DecryptText(const EccCurve &curve, int64_t d, const uint8_t *ciphertext, int32_t count,
                    char *out, int32_t capacity) noexcept {
    const int32_t length = DecryptedTextLength(count, capacity);
    if (length < 0) {
        return length;
    }
    const auto n = static_cast<std::size_t>(length);
    DecryptBytes(curve, d, ciphertext, n, reinterpret_cast<uint8_t *>(out));
    out[n] = '\0';
    return length;
}

}  // namespace vessa
