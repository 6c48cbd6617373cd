// The redraw predicate held against the verifier's own arithmetic.
//
// For a key pair (d, Q = d*G) a signature verifies exactly when the point the
// verifier rebuilds, s*G + e*Q, has the PointBytes of the signer's nonce
// point k*G (apart from a 2^-31 chance of meeting the challenge anyway).
// Each case fixes d, k and e, derives s as signing does, and compares.
#include "signature/nonce_redraw.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "curve/dispatch/arithmetic_mode.h"
#include "curve/curve_params.h"
#include "curve/literal/int64_arith.h"
#include "curve/literal/modular.h"
#include "curve/literal/point_arith.h"
#include "signature/point_bytes.h"
#include "random/thread_rng.h"
#include "signature/signing.h"
#include "signature/verification.h"

namespace {

using vessa::kCurveOrder;

const EccCurve kCurve{vessa::kCurveA, vessa::kCurveB, vessa::kCurveP,
                      vessa::kCurveH, vessa::kCurveOrder, vessa::kBasePoint};

constexpr int32_t kMinE = std::numeric_limits<int32_t>::min();
constexpr int32_t kMaxE = std::numeric_limits<int32_t>::max();

struct Outcome {
    bool redraw;
    bool verifies;
};

Outcome Judge(int64_t d, int64_t k, int32_t e) {
    const int64_t t = vessa::WrappingSub(k, vessa::WrappingMul(e, d));
    const int32_t s = vessa::LiftResponse(vessa::ModReduce(t, kCurveOrder), kCurveOrder);
    const EccPoint q = vessa::ScalarMultiply(kCurve, d, kCurve.g);
    const EccPoint r = vessa::ScalarMultiply(kCurve, k, kCurve.g);
    const EccPoint rebuilt = vessa::PointAdd(kCurve, vessa::ScalarMultiply(kCurve, s, kCurve.g),
                                             vessa::ScalarMultiply(kCurve, e, q));
    const vessa::PointByteString signed_bytes = vessa::PointBytes(r);
    const vessa::PointByteString rebuilt_bytes = vessa::PointBytes(rebuilt);
    const bool same = std::ranges::equal(signed_bytes.bytes(), rebuilt_bytes.bytes());
    return {vessa::NeedsNonceRedraw(kCurve, r, s, e), same};
}

// k for which k - e*d is congruent to `residue`, so s rem n == residue.
int64_t NonceForResidue(int64_t d, int32_t e, int64_t residue) {
    return vessa::ModReduce(residue + e * d, kCurveOrder) % kCurveOrder;
}

struct Case {
    const char *name;
    int64_t d;
    int64_t k;
    int32_t e;
    bool redraw;
    bool verifies;
};

TEST(NeedsNonceRedraw, AgreesWithVerifierArithmetic) {
    const int64_t n = kCurveOrder;
    const Case cases[] = {
        // Ordinary draws, including the keys whose public point has x = 0.
        {"ordinary", 14274, 12345, 42, false, true},
        {"largest e", 50000, 777, kMaxE, false, true},
        {"key with x = 0", 30293, 4242, 1000, false, true},
        {"other key with x = 0", 69626, 99918, 99000, false, true},
        {"largest key", 99918, 1, 7, false, true},
        // Scalars that ScalarMultiply handles correctly at the edges.
        {"e = 1", 20000, 5000, 1, false, true},
        {"e = n gives infinity", 20000, 5000, static_cast<int32_t>(n), false, true},
        {"e = n, key with x = 0", 30293, 5000, static_cast<int32_t>(n), false, true},
        {"e = n + 1", 20000, 5000, static_cast<int32_t>(n + 1), false, true},
        {"s rem n = 1", 20000, NonceForResidue(20000, 42, 1), 42, false, true},
        // e*Q comes back as Q.
        {"e = 0", 14274, 12345, 0, true, false},
        {"e = -2^31", 14274, 12345, kMinE, true, false},
        {"e = 2n", 14274, 12345, static_cast<int32_t>(2 * n), true, false},
        {"e = 21000n", 40000, 9, static_cast<int32_t>(21000 * n), true, false},
        // s*G comes back as G.
        {"s multiple of n", 14274, NonceForResidue(14274, 42, 0), 42, true, false},
        {"s multiple of n, big e", 60000, NonceForResidue(60000, 1234567, 0), 1234567, true,
         false},
        // The nonce point has x = 0; the verifier's sum stores it as p.
        {"R = (0, 99990)", 14274, 30293, 296, true, false},
        {"R = (0, 1)", 14274, 69626, 75, true, false},
        // R = 2 * (0, 1): s*G = (0, 1) and e*Q = (99991, 1), which PointAdd
        // does not double.
        {"R twice a zero-x point", 14895, 39333, 46600, true, false},
        // s*G has x = 0 but e*Q is another point: the sum is right, the
        // redraw merely cautious.
        {"s*G has x = 0 alone", 14274, NonceForResidue(14274, 42, 30293), 42, true, true},
        {"s*G = (0, 1) alone", 14274, NonceForResidue(14274, 42, 69626), 42, true, true},
    };
    // The stored forms (x = 0 or x = p) decide these cases, so they are held
    // against the literal chain as well as against the fast arithmetic.
    for (const bool reference : {false, true}) {
        std::optional<vessa::ScopedReferenceArithmetic> literal;
        if (reference) {
            literal.emplace();
        }
        for (const Case &c : cases) {
            const Outcome outcome = Judge(c.d, c.k, c.e);
            EXPECT_EQ(outcome.redraw, c.redraw) << c.name << ", reference " << reference;
            EXPECT_EQ(outcome.verifies, c.verifies) << c.name << ", reference " << reference;
            if (!outcome.redraw) {
                EXPECT_TRUE(outcome.verifies) << c.name << ": kept a draw that fails";
            }
        }
    }
}

TEST(NeedsNonceRedraw, EveryRandomDrawThatFailsIsCaught) {
    // Random keys, nonces and messages through the real signing and
    // verification: a draw that fails to verify must always be flagged.
    auto rng = vessa::thread_rng();
    constexpr int kDraws = 100000;
    int flagged = 0;
    for (int i = 0; i < kDraws; ++i) {
        const int64_t d = vessa::RandomRange(rng, int64_t{14274}, kCurveOrder);
        const int64_t k = vessa::RandomRange(rng, int64_t{1}, kCurveOrder);
        const std::string text = std::to_string(i);
        const std::span<const uint8_t> message(reinterpret_cast<const uint8_t *>(text.data()),
                                               text.size());
        const vessa::NonceSignature made = vessa::SignWithNonce(kCurve, d, k, message);
        const bool redraw =
            vessa::NeedsNonceRedraw(kCurve, made.r, made.signature.s, made.signature.e);
        flagged += redraw ? 1 : 0;
        if (!redraw) {
            const EccPoint q = vessa::ScalarMultiply(kCurve, d, kCurve.g);
            ASSERT_TRUE(vessa::VerifyWithPoint(kCurve, q, message, made.signature))
                << "d=" << d << " k=" << k;
        }
    }
    // About 3 in 100000 need a redraw; far more would mean a predicate that
    // throws good draws away.
    EXPECT_LT(flagged, 100);
}

TEST(NeedsNonceRedraw, ZeroXScalarsAreExactlyThoseOfTheChain) {
    // Walk k*G for every k in [1, n) and collect the k whose x is 0 mod p.
    std::vector<int64_t> found;
    EccPoint r = kCurve.g;
    for (int64_t k = 1; k < kCurveOrder; ++k) {
        if (k > 1) {
            r = vessa::PointAdd(kCurve, r, kCurve.g);
        }
        if (r.x % kCurve.p == 0) {
            found.push_back(k);
        }
    }
    EXPECT_EQ(found, std::vector<int64_t>(vessa::kScalarsWithZeroX.begin(),
                                          vessa::kScalarsWithZeroX.end()));
}

}  // namespace
