// vessa demo: the typical road through the library on a built-in message,
// printing each step and its result.
#include <cinttypes>
#include <cstdio>
#include <string>
#include <vector>

#include "commands.h"
#include "curve_handle.h"
#include "keytext/base64.h"
#include "tool_error.h"
#include "vessa.h"

namespace vessa_tool {

const CommandDefinition &DemoDefinition() {
    static const CommandDefinition definition{
        "demo",
        "Walk through key pair, signature and encryption on a sample message.",
        "[--message TEXT]",
        "Creates the curve context, makes a key pair, signs the message and verifies\n"
        "the signature, verifies it again against a tampered message, then encrypts\n"
        "and decrypts the message. Each step and its result is printed; the exit\n"
        "status is 0 when every step gave the expected result, 1 otherwise.\n"
        "Nothing is written to any file.",
        {{"message", "TEXT", "use TEXT instead of the built-in message (at most 4096 bytes)",
          'm'}},
    };
    return definition;
}

namespace {

constexpr const char *kDemoMessage = "Meet me at the old mill at midnight.";

// The demo shows the text functions, which take short texts; files of any
// size are for 'vessa sign' and 'vessa encrypt'.
constexpr size_t kDemoMaxMessage = 4096;

// The start and end of a long text, so that a key fits on one line.
std::string Abbreviate(const std::string &text) {
    constexpr size_t kShown = 20;
    if (text.size() <= 2 * kShown + 3) {
        return text;
    }
    return text.substr(0, kShown) + "..." + text.substr(text.size() - kShown);
}

class DemoReport {
public:
    void Step(const char *name, const std::string &result) {
        std::printf("%-2d %-12s %s\n", ++step_, name, result.c_str());
    }
    void Expect(bool condition, const char *what) {
        if (!condition) {
            std::printf("   UNEXPECTED: %s\n", what);
            all_expected_ = false;
        }
    }
    bool all_expected() const { return all_expected_; }

private:
    int step_ = 0;
    bool all_expected_ = true;
};

// The message with its last character changed, so that it differs in one byte.
std::string Tampered(std::string message) {
    if (message.empty()) {
        return "!";
    }
    char &last = message.back();
    last = last == '!' ? '?' : '!';
    return message;
}

}  // namespace

int RunDemo(const ParsedArgs &args) {
    std::string message = args.Value("message").value_or(kDemoMessage);
    if (message.size() > kDemoMaxMessage) {
        throw UsageError("the demo message is " + std::to_string(message.size()) +
                         " bytes; the demo takes at most " + std::to_string(kDemoMaxMessage) +
                         " (use 'vessa sign' and 'vessa encrypt' for longer inputs)");
    }
    DemoReport report;
    std::printf("vessa demo: message \"%s\"\n\n", message.c_str());

    CurveHandle curve;
    const EccCurve &c = *curve.get();
    char line[160];
    std::snprintf(line, sizeof(line),
                  "y^2 = x^3 + %" PRId64 "x + %" PRId64 " mod %" PRId64 ", base point (%" PRId64
                  ", %" PRId64 ") of order %" PRId64,
                  c.a, c.b, c.p, c.g.x, c.g.y, c.n);
    report.Step("curve", line);

    char priv[VESSA_KEY_TEXT_SIZE];
    char pub[VESSA_KEY_TEXT_SIZE];
    int32_t priv_rc = ecc_generate_private(curve.get(), priv, sizeof(priv));
    report.Expect(priv_rc == VESSA_KEY_TEXT_LEN, "private key generation failed");
    if (priv_rc != VESSA_KEY_TEXT_LEN) {
        return kExitInvalid;
    }
    report.Step("private key", Abbreviate(priv) + " (" + std::to_string(priv_rc) + " characters)");
    int32_t pub_rc = ecc_generate_public(curve.get(), priv, pub, sizeof(pub));
    report.Expect(pub_rc == VESSA_KEY_TEXT_LEN, "public key derivation failed");
    if (pub_rc != VESSA_KEY_TEXT_LEN) {
        return kExitInvalid;
    }
    report.Step("public key", Abbreviate(pub) + " (" + std::to_string(pub_rc) + " characters)");

    char signature[VESSA_SIGNATURE_TEXT_SIZE] = "";
    int32_t sign_rc =
        sign_to_hex_string(curve.get(), priv, message.c_str(), signature, sizeof(signature));
    report.Step("sign", sign_rc == 0 ? std::string(signature) : "failed");
    report.Expect(sign_rc == 0, "signing failed");

    bool valid = verify_from_hex_string(curve.get(), pub, message.c_str(), signature) == 0;
    report.Step("verify", valid ? "valid" : "invalid");
    report.Expect(valid, "the signature should verify");

    std::string tampered = Tampered(message);
    bool tampered_valid =
        verify_from_hex_string(curve.get(), pub, tampered.c_str(), signature) == 0;
    report.Step("tamper", "\"" + tampered + "\" -> " +
                              (tampered_valid ? "valid" : "invalid (as it should be)"));
    report.Expect(!tampered_valid, "a changed message should not verify");

    std::vector<uint8_t> ciphertext(message.size() * VESSA_CIPHERTEXT_ENTRY_SIZE);
    int32_t enc_rc = encrypt_string(curve.get(), pub, message.c_str(), ciphertext.data(),
                                    static_cast<int32_t>(ciphertext.size()));
    report.Expect(enc_rc >= 0 && static_cast<size_t>(enc_rc) == ciphertext.size(),
                  "encryption failed");
    std::string encoded(vessa::Base64EncodedSize(ciphertext.size()), '\0');
    vessa::Base64Encode(ciphertext.data(), ciphertext.size(), encoded.data());
    report.Step("encrypt", std::to_string(enc_rc) + " bytes (12 per byte), base64 " +
                               Abbreviate(encoded));

    std::vector<char> decrypted(message.size() + 1);
    int32_t dec_rc = decrypt_to_string(curve.get(), priv, ciphertext.data(),
                                       static_cast<int32_t>(ciphertext.size()), decrypted.data(),
                                       static_cast<int32_t>(decrypted.size()));
    std::string recovered =
        dec_rc >= 0 ? std::string(decrypted.data(), static_cast<size_t>(dec_rc)) : std::string();
    bool matches = dec_rc >= 0 && recovered == message;
    report.Step("decrypt", "\"" + recovered + "\"" + (matches ? " (matches)" : " (differs)"));
    report.Expect(matches, "the decrypted text should equal the message");

    std::printf("\n%s\n", report.all_expected() ? "every step gave the expected result"
                                                : "some step gave an unexpected result");
    if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0) {
        throw ToolError("cannot write standard output");
    }
    return report.all_expected() ? kExitOk : kExitInvalid;
}

}  // namespace vessa_tool
