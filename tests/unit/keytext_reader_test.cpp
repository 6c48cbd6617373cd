// The lookup tables behind base64 and hex decoding, and the one-pass key-text
// reader checked against decoding the two layers one after the other.
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "keytext/base64.h"
#include "keytext/hex.h"
#include "keytext/key_text.h"
#include "keytext/key_text_scan.h"

// Straightforward classifications, independent of the tables.
#include "../../fuzz/key_text_checks.h"

namespace {

using vessa::KeyBlock;

TEST(DecodeTables, EveryByteIsClassifiedAsTheAlphabetSays) {
    for (int c = 0; c < 256; ++c) {
        const char ch = static_cast<char>(static_cast<unsigned char>(c));
        const int symbol = vessa_fuzz::Base64Value(ch);
        const int digit = vessa_fuzz::HexValue(ch);
        EXPECT_EQ(vessa::Base64SymbolValue(ch),
                  symbol < 0 ? vessa::kNotBase64Symbol : static_cast<uint8_t>(symbol))
            << c;
        EXPECT_EQ(vessa::HexDigitValue(ch),
                  digit < 0 ? vessa::kNotHexDigit : static_cast<uint8_t>(digit))
            << c;
    }
    // The markers must not collide with any value they are or-ed with.
    EXPECT_EQ(vessa::kNotBase64Symbol & 0x3F, 0);
    EXPECT_EQ(vessa::kNotHexDigit & 0x0F, 0);
}

// Reading done the long way: the whole base64 layer, then the whole hex layer.
std::optional<KeyBlock> ReadInLayers(const std::string &text) {
    const size_t length = strnlen(text.c_str(), vessa::kKeyTextLength + 1);
    std::vector<uint8_t> digits(256);
    const auto decoded = vessa::Base64Decode(text.c_str(), length, digits.data(), digits.size());
    KeyBlock block;
    if (decoded != digits.size() ||
        !vessa::HexDecode(reinterpret_cast<const char *>(digits.data()), block.bytes.size(),
                          block.bytes.data())) {
        return std::nullopt;
    }
    return block;
}

std::optional<KeyBlock> ReadInOnePass(const std::string &text) {
    KeyBlock block;
    if (!vessa::ReadKeyText(text.c_str(), block)) {
        return std::nullopt;
    }
    return block;
}

// The text of a block whose bytes are all different-looking, so that every
// digit value turns up in each position of a group.
std::string SampleText() {
    KeyBlock block;
    for (size_t i = 0; i < block.bytes.size(); ++i) {
        block.bytes[i] = static_cast<uint8_t>(i * 37 + 11);
    }
    char buf[vessa::kKeyTextBufferSize];
    EXPECT_TRUE(vessa::WriteKeyText(block, buf, sizeof(buf)));
    return buf;
}

std::string Base64Of(const std::string &digits) {
    std::string text(vessa::Base64EncodedSize(digits.size()), '?');
    vessa::Base64Encode(reinterpret_cast<const uint8_t *>(digits.data()), digits.size(),
                        text.data());
    return text;
}

// The forms of the key-bytes reader this processor has, the portable first.
std::vector<vessa::KeyTextForm> ReaderForms() {
    std::vector<vessa::KeyTextForm> forms;
    for (const auto form : {vessa::KeyTextForm::kPortable, vessa::KeyTextForm::kAvx2,
                            vessa::KeyTextForm::kAvx512, vessa::KeyTextForm::kAvx512Vbmi}) {
        if (form <= vessa::SupportedKeyTextForm()) {
            forms.push_back(form);
        }
    }
    return forms;
}

// The reader of the key bytes alone, in every form the processor has.
void ExpectSameWindow(const std::string &text, const std::optional<KeyBlock> &layered,
                      const std::string &what) {
    for (const auto form : ReaderForms()) {
        vessa::KeyWindow window{};
        const bool ok = vessa::ReadKeyWindow(text.c_str(), window, form);
        ASSERT_EQ(ok, layered.has_value()) << what << " form " << static_cast<int>(form);
        if (ok) {
            EXPECT_TRUE(std::equal(window.begin(), window.end(),
                                   layered->bytes.begin() + vessa::kFirstKeyOffset))
                << what << " form " << static_cast<int>(form);
        }
    }
}

void ExpectSameVerdict(const std::string &text, const std::string &what) {
    const auto layered = ReadInLayers(text);
    const auto one_pass = ReadInOnePass(text);
    ASSERT_EQ(one_pass.has_value(), layered.has_value()) << what;
    if (layered) {
        EXPECT_EQ(one_pass->bytes, layered->bytes) << what;
    }
    ExpectSameWindow(text, layered, what);
}

TEST(KeyTextWriter, AgreesWithEncodingTheTwoLayersInTurn) {
    std::vector<KeyBlock> blocks(4);
    for (size_t i = 0; i < vessa::kKeyBlockSize; ++i) {
        blocks[0].bytes[i] = 0x00;
        blocks[1].bytes[i] = 0xFF;
        blocks[2].bytes[i] = static_cast<uint8_t>(i * 37 + 11);
        blocks[3].bytes[i] = static_cast<uint8_t>((i * 2654435761U) >> 13);
    }
    for (const KeyBlock &block : blocks) {
        std::string digits(2 * vessa::kKeyBlockSize, '?');
        vessa::HexEncode(block.bytes.data(), block.bytes.size(), digits.data());
        char buf[vessa::kKeyTextBufferSize];
        ASSERT_TRUE(vessa::WriteKeyText(block, buf, sizeof(buf)));
        EXPECT_EQ(std::string(buf), Base64Of(digits));
    }
}

TEST(KeyTextReader, AgreesWithLayeredDecodingOnEveryOneCharacterChange) {
    // Non-symbols, padding in the wrong place, symbols that make non-digits or
    // stray low bits, and an early end.
    const std::string replacements("=-.AQIgz/+\x80\xff", 12);
    const std::string text = SampleText();
    for (size_t at = 0; at <= text.size(); ++at) {
        for (const char c : replacements) {
            std::string changed = text;
            if (at == text.size()) {
                changed += c;
            } else {
                changed[at] = c;
            }
            ExpectSameVerdict(changed, std::to_string(at) + " " + std::to_string(c));
        }
        ExpectSameVerdict(text.substr(0, at), "cut at " + std::to_string(at));
    }
}

TEST(KeyTextReader, EveryDigitPositionIsChecked) {
    std::string digits(256, '0');
    for (size_t i = 0; i < digits.size(); ++i) {
        digits[i] = "0123456789abcdef"[i % 16];
    }
    for (size_t at = 0; at < digits.size(); ++at) {
        for (const char c : {'g', 'G', '/', ':', '@', '`', ' ', '\0'}) {
            std::string bad = digits;
            bad[at] = c;
            EXPECT_FALSE(ReadInOnePass(Base64Of(bad))) << at << " " << int{c};
            ExpectSameVerdict(Base64Of(bad), "digit " + std::to_string(at));
        }
        std::string upper = digits;
        upper[at] = static_cast<char>(std::toupper(static_cast<unsigned char>(upper[at])));
        ExpectSameVerdict(Base64Of(upper), "upper at " + std::to_string(at));
        EXPECT_TRUE(ReadInOnePass(Base64Of(upper))) << at;
    }
}

TEST(KeyTextReader, PaddingMayBeShortenedButNotMisplaced) {
    const std::string text = SampleText();
    ASSERT_EQ(text.substr(342), "==");
    for (const char *tail : {"", "=", "==", "===", "=A", "A=", "\x01"}) {
        ExpectSameVerdict(text.substr(0, 342) + tail, std::string("tail ") + tail);
    }
    EXPECT_TRUE(ReadInOnePass(text.substr(0, 342)));
    EXPECT_FALSE(ReadInOnePass(text + "="));
}

// Every cut of a text, and the text with more after it, ends with its NUL on
// the last byte of a page whose successor has no access: a reader that reads
// past the NUL faults.
TEST(KeyTextReader, NoFormReadsPastTheNul) {
    const auto page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    void *mapping = mmap(nullptr, 2 * page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS,
                         -1, 0);
    ASSERT_NE(mapping, MAP_FAILED);
    char *const end = static_cast<char *>(mapping) + page;
    ASSERT_EQ(mprotect(end, page, PROT_NONE), 0);
    const std::string text = SampleText() + "==A";
    for (size_t length = 0; length <= text.size(); ++length) {
        char *const at = end - length - 1;
        std::memcpy(at, text.data(), length);
        at[length] = '\0';
        const bool valid = length >= 342 && length <= vessa::kKeyTextLength;
        for (const auto form : ReaderForms()) {
            vessa::KeyWindow window{};
            EXPECT_EQ(vessa::ReadKeyWindow(at, window, form), valid)
                << length << " form " << static_cast<int>(form);
        }
    }
    munmap(mapping, 2 * page);
}

}  // namespace
