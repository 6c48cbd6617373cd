#include "signature/point_bytes.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <vector>

namespace {

std::vector<uint8_t> BytesOf(EccPoint point) {
    const vessa::PointByteString string = vessa::PointBytes(point);
    return {string.bytes().begin(), string.bytes().end()};
}

TEST(PointBytes, DropsEveryZeroByteOfBothCoordinates) {
    struct Case {
        const char *name;
        EccPoint point;
        std::vector<uint8_t> bytes;
    };
    const std::vector<uint8_t> sixteen_ff(16, 0xFF);
    const Case cases[] = {
        {"base point", {2617, 5304}, {0x0A, 0x39, 0x14, 0xB8}},
        {"x stored as p", {99991, 1}, {0x01, 0x86, 0x97, 0x01}},
        {"x stored as 0", {0, 1}, {0x01}},
        {"origin", {0, 0}, {}},
        {"infinity", {-1, -1}, sixteen_ff},
        {"inner zeros", {0x0000000000010001, 0x0100000000000200}, {0x01, 0x01, 0x01, 0x02}},
        {"y only", {0, 0x7F00}, {0x7F}},
        {"negative keeps its sign bytes", {-256, 0}, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}},
        {"extremes",
         {std::numeric_limits<int64_t>::min(), std::numeric_limits<int64_t>::max()},
         {0x80, 0x7F, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(BytesOf(c.point), c.bytes) << c.name;
    }
}

TEST(PointBytes, CongruentPointsAreDifferentStrings) {
    // The digest sees stored integers, not residues.
    EXPECT_NE(BytesOf({0, 1}), BytesOf({99991, 1}));
    EXPECT_NE(BytesOf({5, 7}), BytesOf({5 + 99991, 7}));
}

}  // namespace
