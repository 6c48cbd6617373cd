// Replays the fuzz harnesses' seeds and every input they ever found through
// the same invariant checks, in every ordinary build and under every
// sanitizer and valgrind.
#include <gtest/gtest.h>

#include "../../fuzz/byte_interface_checks.h"
#include "../../fuzz/encryption_checks.h"
#include "../../fuzz/key_operation_checks.h"
#include "../../fuzz/key_text_checks.h"
#include "../../fuzz/regression_inputs.h"
#include "../../fuzz/seed_inputs.h"
#include "../../fuzz/signature_text_checks.h"

namespace {

using Check = void (*)(const uint8_t *, size_t);

struct Harness {
    const char *name;
    Check check;
};

constexpr Harness kHarnesses[] = {
    {"key_text", &vessa_fuzz::CheckKeyTextInput},
    {"verify_hex", &vessa_fuzz::CheckSignatureTextInput},
    {"encrypt_string", &vessa_fuzz::CheckEncryptInput},
    {"decrypt_to_string", &vessa_fuzz::CheckDecryptInput},
    {"key_operations", &vessa_fuzz::CheckKeyOperationInput},
    {"byte_interface", &vessa_fuzz::CheckByteInterfaceInput},
};

class FuzzReplay : public ::testing::TestWithParam<Harness> {};

TEST_P(FuzzReplay, SeedsAndFoundInputsKeepTheInvariants) {
    const Harness harness = GetParam();
    auto inputs = vessa_fuzz::AllSeeds().at(harness.name);
    const auto found = vessa_fuzz::RegressionInputs(harness.name);
    inputs.insert(inputs.end(), found.begin(), found.end());
    ASSERT_FALSE(inputs.empty());
    for (const auto &input : inputs) {
        harness.check(input.data(), input.size());  // a broken invariant aborts
    }
}

// The harness must notice a reader that accepts what it should refuse: a
// broken check would make every fuzz run pass.
TEST(FuzzReplay, DecoderOfTheHarnessRefusesWhatTheFormatRefuses) {
    const std::string valid = vessa_fuzz::Keys().priv;
    EXPECT_TRUE(vessa_fuzz::ExpectedBlock(valid).has_value());
    EXPECT_TRUE(vessa_fuzz::ExpectedBlock(valid.substr(0, 342)).has_value());
    for (const std::string &bad : {valid + "=", valid.substr(0, 341), valid + "\n", std::string(),
                                  vessa_fuzz::Corrupted(valid, 100)}) {
        EXPECT_FALSE(vessa_fuzz::ExpectedBlock(bad).has_value()) << bad;
    }
    EXPECT_FALSE(vessa_fuzz::StrictBase64Decode("QR==").has_value());  // stray low bits
    EXPECT_FALSE(vessa_fuzz::StrictBase64Decode("Q===").has_value());
    EXPECT_FALSE(vessa_fuzz::StrictBase64Decode("QQ=A").has_value());
    EXPECT_EQ(vessa_fuzz::StrictBase64Decode("QQ="), std::string("A"));
    EXPECT_EQ(vessa_fuzz::StrictBase64Decode("QUI"), std::string("AB"));
    EXPECT_EQ(vessa_fuzz::DecodeSignatureText("40b9fe7f2a000000"),
              std::make_pair(int32_t{0x7ffeb940}, int32_t{42}));
}

INSTANTIATE_TEST_SUITE_P(Harnesses, FuzzReplay, ::testing::ValuesIn(kHarnesses),
                         [](const auto &param_info) { return std::string(param_info.param.name); });

}  // namespace
