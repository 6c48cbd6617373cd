// Packing and unpacking key texts as a client does.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "api_helpers.h"
#include "vessa.h"

namespace {

using vessa_test::PackPrivate;
using vessa_test::PackPublic;

constexpr int64_t kMin = std::numeric_limits<int64_t>::min();
constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
constexpr char kCanary = '#';

std::vector<int64_t> SampleValues() {
    std::vector<int64_t> values = {0, -1, 1, kMin, kMax, kMin + 1, kMax - 1, 14274, 99918, -99919,
                                   0x0123456789ABCDEF};
    std::mt19937_64 gen(20240611);
    for (int i = 0; i < 200; ++i) {
        values.push_back(static_cast<int64_t>(gen()));
    }
    return values;
}

TEST(KeyTextRoundTrip, PrivateScalarsComeBackUnchanged) {
    for (const int64_t d : SampleValues()) {
        const std::string text = PackPrivate(d);
        ASSERT_EQ(text.size(), 344u) << d;
        int64_t back = ~d;
        ASSERT_EQ(resolve_private(text.c_str(), &back), 0) << d;
        EXPECT_EQ(back, d);
    }
}

TEST(KeyTextRoundTrip, PublicPointsComeBackUnchanged) {
    const std::vector<int64_t> values = SampleValues();
    for (size_t i = 0; i < values.size(); ++i) {
        const int64_t x = values[i];
        const int64_t y = values[values.size() - 1 - i];
        const std::string text = PackPublic(x, y);
        ASSERT_EQ(text.size(), 344u) << x << "," << y;
        int64_t bx = ~x;
        int64_t by = ~y;
        ASSERT_EQ(resolve_public(text.c_str(), &bx, &by), 0);
        EXPECT_EQ(bx, x);
        EXPECT_EQ(by, y);
    }
}

TEST(KeyTextRoundTrip, TwoPackingsOfOneKeyDifferAndBothUnpack) {
    const std::string a = PackPrivate(42);
    const std::string b = PackPrivate(42);
    EXPECT_NE(a, b);
    const std::string p = PackPublic(2617, 5304);
    const std::string q = PackPublic(2617, 5304);
    EXPECT_NE(p, q);
    int64_t d = 0;
    ASSERT_EQ(resolve_private(b.c_str(), &d), 0);
    EXPECT_EQ(d, 42);
    int64_t x = 0;
    int64_t y = 0;
    ASSERT_EQ(resolve_public(q.c_str(), &x, &y), 0);
    EXPECT_EQ(x, 2617);
    EXPECT_EQ(y, 5304);
}

struct Packer {
    const char *name;
    int32_t (*pack)(char *buf, int32_t capacity);
};

const Packer kPackers[] = {
    {"package_private", [](char *buf, int32_t capacity) { return package_private(-7, buf, capacity); }},
    {"package_public",
     [](char *buf, int32_t capacity) { return package_public(point_new(3, -4), buf, capacity); }},
};

TEST(KeyTextCapacity, ExactlyThe345BytesAreWritten) {
    for (const Packer &p : kPackers) {
        std::string buf(400, kCanary);
        ASSERT_EQ(p.pack(buf.data(), VESSA_KEY_TEXT_SIZE), VESSA_KEY_TEXT_LEN) << p.name;
        EXPECT_EQ(buf[344], '\0') << p.name;
        EXPECT_EQ(std::strlen(buf.c_str()), 344u) << p.name;
        EXPECT_EQ(buf.substr(345), std::string(55, kCanary)) << p.name;
    }
}

TEST(KeyTextCapacity, BelowThe345BytesNothingIsWritten) {
    for (const Packer &p : kPackers) {
        for (const int32_t capacity : {344, 1, 0, -1, std::numeric_limits<int32_t>::min()}) {
            std::string buf(400, kCanary);
            EXPECT_EQ(p.pack(buf.data(), capacity), -1) << p.name << " " << capacity;
            EXPECT_EQ(buf, std::string(400, kCanary)) << p.name << " " << capacity;
        }
    }
}

TEST(KeyTextPadding, ShortenedPaddingStillUnpacks) {
    const std::string text = PackPrivate(kMin);
    ASSERT_EQ(text.substr(342), "==");
    for (const size_t length : {344u, 343u, 342u}) {
        int64_t d = 0;
        EXPECT_EQ(resolve_private(text.substr(0, length).c_str(), &d), 0) << length;
        EXPECT_EQ(d, kMin) << length;
    }
}

TEST(KeyTextCrossKind, PublicTextReadAsPrivateYieldsX) {
    const std::string text = PackPublic(-123456789, 5);
    int64_t d = 0;
    ASSERT_EQ(resolve_private(text.c_str(), &d), 0);
    EXPECT_EQ(d, -123456789);
}

}  // namespace

namespace {

TEST(KeyTextNullPointers, AreAnsweredWithMinusOne) {
    const std::string text = vessa_test::PackPrivate(5);
    int64_t a = 1;
    int64_t b = 2;
    EXPECT_EQ(package_private(5, nullptr, VESSA_KEY_TEXT_SIZE), -1);
    EXPECT_EQ(package_public(point_new(1, 2), nullptr, VESSA_KEY_TEXT_SIZE), -1);
    EXPECT_EQ(resolve_private(nullptr, &a), -1);
    EXPECT_EQ(resolve_private(text.c_str(), nullptr), -1);
    EXPECT_EQ(resolve_public(nullptr, &a, &b), -1);
    EXPECT_EQ(resolve_public(text.c_str(), nullptr, &b), -1);
    EXPECT_EQ(resolve_public(text.c_str(), &a, nullptr), -1);
    EXPECT_EQ(a, 1);
    EXPECT_EQ(b, 2);
}

}  // namespace
