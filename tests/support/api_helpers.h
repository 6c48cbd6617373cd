// Small helpers for tests that call the library through its C interface.
#pragma once

#include <cstdint>
#include <string>

#include "vessa.h"

namespace vessa_test {

inline std::string PackPrivate(int64_t d) {
    char buf[VESSA_KEY_TEXT_SIZE];
    if (package_private(d, buf, sizeof(buf)) != VESSA_KEY_TEXT_LEN) {
        return {};
    }
    return buf;
}

inline std::string PackPublic(int64_t x, int64_t y) {
    char buf[VESSA_KEY_TEXT_SIZE];
    if (package_public(point_new(x, y), buf, sizeof(buf)) != VESSA_KEY_TEXT_LEN) {
        return {};
    }
    return buf;
}

struct KeyPair {
    std::string priv;
    std::string pub;
};

// A fresh key pair made by key generation.
inline KeyPair GenerateKeyPair(const EccCurve *curve) {
    char priv[VESSA_KEY_TEXT_SIZE];
    char pub[VESSA_KEY_TEXT_SIZE];
    if (ecc_generate_private(curve, priv, sizeof(priv)) != VESSA_KEY_TEXT_LEN ||
        ecc_generate_public(curve, priv, pub, sizeof(pub)) != VESSA_KEY_TEXT_LEN) {
        return {};
    }
    return {priv, pub};
}

// The key pair of a chosen scalar d, with the public key derived by the
// library.
inline KeyPair KeyPairFor(const EccCurve *curve, int64_t d) {
    KeyPair pair{PackPrivate(d), {}};
    char pub[VESSA_KEY_TEXT_SIZE];
    if (ecc_generate_public(curve, pair.priv.c_str(), pub, sizeof(pub)) == VESSA_KEY_TEXT_LEN) {
        pair.pub = pub;
    }
    return pair;
}

}  // namespace vessa_test
