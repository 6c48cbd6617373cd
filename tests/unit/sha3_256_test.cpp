#include "signature/sha3_256.h"

#include "signature/keccak_f1600.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "supported_levels.h"

namespace {

std::string ToHex(const vessa::Sha3_256::Digest &digest) {
    static const char kDigits[] = "0123456789abcdef";
    std::string out;
    for (const uint8_t byte : digest) {
        out += kDigits[byte >> 4];
        out += kDigits[byte & 0x0F];
    }
    return out;
}

// Digest of `message` absorbed in consecutive pieces of the given sizes
// (cycled until the message is used up); an empty list absorbs it whole.
std::string DigestInPieces(const std::vector<uint8_t> &message, const std::vector<size_t> &pieces) {
    vessa::Sha3_256 hasher;
    if (pieces.empty()) {
        hasher.Absorb(message.data(), message.size());
        return ToHex(hasher.Finish());
    }
    size_t offset = 0;
    for (size_t i = 0; offset < message.size(); ++i) {
        const size_t piece = std::min(pieces[i % pieces.size()], message.size() - offset);
        hasher.Absorb(message.data() + offset, piece);
        offset += piece;
    }
    return ToHex(hasher.Finish());
}

std::vector<uint8_t> Repeated(uint8_t byte, size_t count) {
    return std::vector<uint8_t>(count, byte);
}

std::vector<uint8_t> Bytes(const std::string &text) { return {text.begin(), text.end()}; }

// Bytes (7 i + 3) mod 256: a message without long runs.
std::vector<uint8_t> Pattern(size_t count) {
    std::vector<uint8_t> out(count);
    for (size_t i = 0; i < count; ++i) {
        out[i] = static_cast<uint8_t>(i * 7 + 3);
    }
    return out;
}

struct KnownAnswer {
    const char *name;
    std::vector<uint8_t> message;
    const char *digest;
};

std::vector<KnownAnswer> KnownAnswers() {
    return {
        {"empty", {}, "a7ffc6f8bf1ed76651c14756a061d662f580ff4de43b49fa82d80a4b80f8434a"},
        {"abc", Bytes("abc"), "3a985da74fe225b2045c172d6bd390bd855f086e3e9d525b46bfe24511431532"},
        {"448 bits", Bytes("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
         "41c0dba2a9d6240849100376a8235e2c82e1b9998a999e21db32dd97496d3376"},
        {"200 x a3", Repeated(0xa3, 200),
         "79f38adec5c20307a98ef76e8324afbfd46cfd81b22e3973c65fa1bd9de31787"},
        // One byte short of the rate: both padding bits land in the last byte.
        {"135 pattern", Pattern(135),
         "d9dcf1f98e49a79b0643a9e68fef48079ff8777c5e7e7f93469ded65f192ac71"},
        // Exactly the rate: the padding takes a block of its own.
        {"136 pattern", Pattern(136),
         "743bd32e775ac7387a57d4d574c89ddef5ebcb08bb5cc6b88c55a27b5035cc45"},
        {"137 pattern", Pattern(137),
         "01d47e8d6dce6e3dcbf1baa6f845b6ace4ef74bd17da8176ecc49bc35dbe5d21"},
        {"272 pattern", Pattern(272),
         "ddeb5151c079739970e780e6257d0c4d52d83bf82c6aa8d47d5195530b5d5f4b"},
        {"million a", Repeated('a', 1000000),
         "5c8875ae474a3634ba4fd55ec85bffd661f32aca75c6d699d0cdcb6c115891c1"},
    };
}

// Piece patterns: whole, bytewise, sizes that never align with the rate, and
// pieces that end exactly on and just around block boundaries.
const std::vector<std::vector<size_t>> kPieceSizes = {
    {}, {1}, {7, 13}, {135, 1}, {136}, {137}, {3, 133, 136, 200}, {0, 5, 0, 131},
};

TEST(Sha3_256, KnownAnswersInAnyPieces) {
    for (const KnownAnswer &answer : KnownAnswers()) {
        for (const auto &pieces : kPieceSizes) {
            if (pieces == std::vector<size_t>{1} && answer.message.size() > 10000) {
                continue;  // bytewise over a megabyte adds nothing but time
            }
            EXPECT_EQ(DigestInPieces(answer.message, pieces), answer.digest)
                << answer.name << ", " << pieces.size() << " piece sizes";
        }
    }
}

TEST(Sha3_256, EmptyPiecesChangeNothing) {
    vessa::Sha3_256 hasher;
    const uint8_t abc[] = {'a', 'b', 'c'};
    hasher.Absorb(abc, 0);
    hasher.Absorb(abc, 1);
    hasher.Absorb(nullptr, 0);
    hasher.Absorb(abc + 1, 2);
    EXPECT_EQ(ToHex(hasher.Finish()),
              "3a985da74fe225b2045c172d6bd390bd855f086e3e9d525b46bfe24511431532");
}

TEST(Sha3_256, EveryLengthAroundTwoBlocksAgreesWithWholeAbsorb) {
    // Splitting at every offset must not change the digest of any length.
    for (size_t length = 270; length <= 273; ++length) {
        const std::vector<uint8_t> message = Pattern(length);
        const std::string whole = DigestInPieces(message, {});
        for (size_t split = 0; split <= length; ++split) {
            vessa::Sha3_256 hasher;
            hasher.Absorb(message.data(), split);
            hasher.Absorb(message.data() + split, length - split);
            ASSERT_EQ(ToHex(hasher.Finish()), whole) << length << " split at " << split;
        }
    }
}

TEST(KeccakF1600, ZeroStateGivesKnownLanesInEveryForm) {
    for (const vessa::VectorLevel level : vessa::SupportedLevels()) {
        vessa::KeccakLanes lanes{};
        vessa::KeccakF1600(lanes, level);
        EXPECT_EQ(lanes[0], 0xF1258F7940E1DDE7ULL) << static_cast<int>(level);
        EXPECT_EQ(lanes[1], 0x84D5CCF933C0478AULL) << static_cast<int>(level);
        EXPECT_EQ(lanes[24], 0xEAF1FF7B5CECA249ULL) << static_cast<int>(level);
    }
}

TEST(KeccakF1600, EveryFormAgreesWithThePortableOneOnRandomStates) {
    std::mt19937_64 gen(20261208);
    for (int trial = 0; trial < 200; ++trial) {
        vessa::KeccakLanes start{};
        for (uint64_t &lane : start) {
            lane = gen();
        }
        vessa::KeccakLanes expected = start;
        // Several permutations in a row, so that a fault in any lane of any
        // round spreads over the whole state.
        for (int i = 0; i < 4; ++i) {
            vessa::KeccakF1600(expected, vessa::VectorLevel::kPortable);
        }
        for (const vessa::VectorLevel level : vessa::SupportedLevels()) {
            vessa::KeccakLanes lanes = start;
            for (int i = 0; i < 4; ++i) {
                vessa::KeccakF1600(lanes, level);
            }
            ASSERT_EQ(lanes, expected) << static_cast<int>(level) << ", trial " << trial;
        }
    }
}

}  // namespace
