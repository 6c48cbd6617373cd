#include "keytext/base64.h"

#include <gtest/gtest.h>

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace {

std::string Encode(const std::string &bytes) {
    std::string out(vessa::Base64EncodedSize(bytes.size()), '?');
    const size_t written = vessa::Base64Encode(reinterpret_cast<const uint8_t *>(bytes.data()),
                                               bytes.size(), out.data());
    EXPECT_EQ(written, out.size());
    return out;
}

std::optional<std::string> Decode(const std::string &text, size_t capacity = 64) {
    std::vector<uint8_t> out(capacity);
    const auto length = vessa::Base64Decode(text.data(), text.size(), out.data(), capacity);
    if (!length) {
        return std::nullopt;
    }
    return std::string(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(*length));
}

struct Vector {
    const char *bytes;
    const char *text;
};

// The published test vectors of the base64 standard.
constexpr Vector kVectors[] = {
    {"", ""},         {"f", "Zg=="},         {"fo", "Zm8="},         {"foo", "Zm9v"},
    {"foob", "Zm9vYg=="}, {"fooba", "Zm9vYmE="}, {"foobar", "Zm9vYmFy"},
};

TEST(Base64Encode, PublishedVectors) {
    for (const Vector &v : kVectors) {
        EXPECT_EQ(Encode(v.bytes), v.text) << v.bytes;
    }
}

TEST(Base64Decode, PublishedVectors) {
    for (const Vector &v : kVectors) {
        EXPECT_EQ(Decode(v.text), std::optional<std::string>(v.bytes)) << v.text;
    }
}

TEST(Base64, EveryByteValueAndBothLastSymbolsRoundTrip) {
    std::string bytes;
    for (int b = 0; b < 256; ++b) {
        bytes.push_back(static_cast<char>(b));
    }
    const std::string text = Encode(bytes);
    EXPECT_NE(text.find('+'), std::string::npos);
    EXPECT_NE(text.find('/'), std::string::npos);
    EXPECT_EQ(Decode(text, 256), std::optional<std::string>(bytes));
}

TEST(Base64Decode, AcceptanceTable) {
    struct Case {
        const char *text;
        std::optional<std::string> bytes;
        const char *shows;
    };
    const Case cases[] = {
        {"Zg", "f", "padding absent"},
        {"Zg=", "f", "padding partly present"},
        {"Zm8", "fo", "one-byte padding absent"},
        {"Zg===", std::nullopt, "a third '='"},
        {"Zm8==", std::nullopt, "two '=' after three symbols"},
        {"Zm9v=", std::nullopt, "'=' opening a group"},
        {"Zm9v==", std::nullopt, "'==' opening a group"},
        {"=", std::nullopt, "padding alone"},
        {"==", std::nullopt, "padding alone"},
        {"Z===", std::nullopt, "single symbol with padding"},
        {"Z", std::nullopt, "single symbol"},
        {"Zm9vY", std::nullopt, "single symbol in the last group"},
        {"Zg=a", std::nullopt, "symbol after padding"},
        {"Z=g=", std::nullopt, "padding in the second place"},
        {"Zm=v", std::nullopt, "'=' inside a group"},
        {"Zm9v Zg", std::nullopt, "space"},
        {"Zm9v\n", std::nullopt, "line break"},
        {"Zm9-", std::nullopt, "url-safe '-'"},
        {"Zm9_", std::nullopt, "url-safe '_'"},
        {"Zm9\xC3", std::nullopt, "byte of 0x80 or above"},
        {"Zh==", std::nullopt, "non-canonical bits after one byte"},
        {"Zh", std::nullopt, "non-canonical bits, unpadded"},
        {"Zm9=", std::nullopt, "non-canonical bits after two bytes"},
        {"Zm/", std::nullopt, "non-canonical bits, unpadded"},
        {"Zm8=", "fo", "canonical after two bytes"},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(Decode(c.text), c.bytes) << c.shows << ": " << c.text;
    }
}

TEST(Base64Decode, CapacityBoundsTheDecodedLength) {
    EXPECT_EQ(Decode("Zm9vYmFy", 6), std::optional<std::string>("foobar"));
    EXPECT_EQ(Decode("Zm9vYmFy", 5), std::nullopt);
    EXPECT_EQ(Decode("Zm9vYmE", 5), std::optional<std::string>("fooba"));
    EXPECT_EQ(Decode("Zm9vYmE", 4), std::nullopt);
    EXPECT_EQ(Decode("", 0), std::optional<std::string>(""));
}

TEST(Base64Decode, TooLongTextWritesNothing) {
    std::array<uint8_t, 2> out{0xAA, 0xBB};
    EXPECT_FALSE(vessa::Base64Decode("Zm9v", 4, out.data(), out.size()));
    EXPECT_EQ(out[0], 0xAA);
    EXPECT_EQ(out[1], 0xBB);
}

}  // namespace
