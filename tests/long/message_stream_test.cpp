// A 1 GiB message streamed through a VessaMessage in pieces of changing
// size, made on the fly by a generator: signing and verifying it costs no
// memory beyond one piece. Labelled "long"; the sanitizer runs leave it out.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

#include "api_helpers.h"
#include "curve_fixture.h"
#include "vessa.h"

namespace {

constexpr uint64_t kMessageSize = uint64_t{1} << 30;
constexpr size_t kLargestPiece = size_t{1} << 20;

// Peak resident memory of the process so far, in KiB.
long PeakResidentKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Feeds the message into *m: words from a 64-bit xorshift generator, in
// pieces whose sizes cycle through a few awkward lengths, the last cut to
// fit.
void AbsorbGeneratedMessage(VessaMessage *m) {
    constexpr std::array<size_t, 5> kPieceSizes = {kLargestPiece, 1, 135, 4097, 999983};
    std::vector<uint8_t> piece(kLargestPiece);
    uint64_t state = 0x9E3779B97F4A7C15U;
    uint64_t absorbed = 0;
    for (size_t turn = 0; absorbed < kMessageSize; ++turn) {
        const auto size = static_cast<size_t>(
            std::min<uint64_t>(kPieceSizes[turn % kPieceSizes.size()], kMessageSize - absorbed));
        for (size_t i = 0; i < size; i += sizeof(state)) {
            state ^= state << 13;
            state ^= state >> 7;
            state ^= state << 17;
            std::memcpy(piece.data() + i, &state, std::min(sizeof(state), size - i));
        }
        vessa_message_update(m, piece.data(), size);
        absorbed += size;
    }
}

class LongMessage : public vessa_test::CurveWithKeysTest {};

TEST_F(LongMessage, OneGibibyteIsSignedInConstantMemory) {
    const long peak_before = PeakResidentKiB();
    VessaMessage m;
    vessa_message_init(&m);
    AbsorbGeneratedMessage(&m);
    int32_t s = 0;
    int32_t e = 0;
    ASSERT_EQ(vessa_sign_message(curve_, keys_.priv.c_str(), &m, &s, &e), VESSA_OK);
    EXPECT_EQ(vessa_verify_message(curve_, keys_.pub.c_str(), &m, s, e), VESSA_OK);
    VessaMessage longer = m;
    vessa_message_update(&longer, "", 1);
    EXPECT_EQ(vessa_verify_message(curve_, keys_.pub.c_str(), &longer, s, e), VESSA_ERR_INVALID);
    // One piece buffer (1 MiB) and nothing that grows with the message.
    EXPECT_LT(PeakResidentKiB() - peak_before, 4 * 1024);
}

}  // namespace
