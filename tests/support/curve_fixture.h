// A test suite sharing one curve context and one generated key pair.
#pragma once

#include <gtest/gtest.h>

#include "api_helpers.h"
#include "vessa.h"

namespace vessa_test {

class CurveWithKeysTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        curve_ = ecc_new();
        ASSERT_NE(curve_, nullptr);
        keys_ = GenerateKeyPair(curve_);
        ASSERT_FALSE(keys_.priv.empty());
        ASSERT_FALSE(keys_.pub.empty());
    }
    static void TearDownTestSuite() {
        ecc_destroy(curve_);
        curve_ = nullptr;
    }

    static inline EccCurve *curve_ = nullptr;
    static inline KeyPair keys_;
};

}  // namespace vessa_test
