// vessa encrypt: a text encrypted under a public key, as base64 or raw bytes.
#include <cstdint>
#include <limits>
#include <vector>

#include "commands.h"
#include "curve_handle.h"
#include "file_io.h"
#include "key_input.h"
#include "keytext/base64.h"
#include "tool_error.h"
#include "vessa.h"

namespace vessa_tool {

const CommandSpec &EncryptSpec() {
    static const CommandSpec definition{
        "encrypt",
        "Encrypt a text under a public key.",
        "--key FILE [--in FILE] [--out FILE [--force]] [--binary]",
        "The plaintext is read from --in FILE or from standard input, byte for byte.\n"
        "Each byte becomes 12 bytes of ciphertext, written as one line of base64, or\n"
        "as raw bytes with --binary. A plaintext holding a NUL byte, or of a length\n"
        "that the text encryption refuses (a length with bit 15 set, such as 32768\n"
        "to 65535 bytes), is refused with a message; it is never cut short.",
        {{"key", "FILE", "public key file ('-' for standard input)"},
         {"in", "FILE", "read the plaintext from FILE (default: standard input)"},
         {"out", "FILE", "write the ciphertext to FILE instead of standard output"},
         {"force", "", "overwrite FILE if it exists"},
         {"binary", "", "write raw ciphertext bytes instead of base64"}},
    };
    return definition;
}

int RunEncrypt(const ParsedArgs &args) {
    std::string key_path = RequiredValue(args, EncryptSpec(), "key");
    std::optional<std::string> in = args.Value("in");
    RefuseSharedStandardInput(key_path, in, "the key", "the plaintext");
    std::string pub = LoadPublicKey(key_path);
    std::string plaintext = ReadInput(in);
    RefuseEmbeddedNul(plaintext, "the plaintext from " + InputName(in));
    constexpr size_t kMaxLength =
        static_cast<size_t>(std::numeric_limits<int32_t>::max()) / VESSA_CIPHERTEXT_ENTRY_SIZE;
    if (plaintext.size() > kMaxLength) {
        throw ToolError("the plaintext from " + InputName(in) + " is " +
                        std::to_string(plaintext.size()) + " bytes; the text encryption takes at most " +
                        std::to_string(kMaxLength));
    }
    std::vector<uint8_t> ciphertext(plaintext.size() * VESSA_CIPHERTEXT_ENTRY_SIZE);
    CurveHandle curve;
    int32_t rc = encrypt_string(curve.get(), pub.c_str(), plaintext.c_str(), ciphertext.data(),
                                static_cast<int32_t>(ciphertext.size()));
    if (rc == -2) {
        throw ToolError("the plaintext from " + InputName(in) + " is " +
                        std::to_string(plaintext.size()) +
                        " bytes, a length the text encryption refuses (bit 15 of the length is "
                        "set); split it into pieces below 32768 bytes");
    }
    if (rc < 0 || static_cast<size_t>(rc) != ciphertext.size()) {
        throw ToolError("encryption failed (code " + std::to_string(rc) + ")");
    }
    std::string output;
    if (args.Has("binary")) {
        output.assign(ciphertext.begin(), ciphertext.end());
    } else {
        output.resize(vessa::Base64EncodedSize(ciphertext.size()));
        vessa::Base64Encode(ciphertext.data(), ciphertext.size(), output.data());
        output += '\n';
    }
    WriteOutput(args.Value("out"), output, args.Has("force"));
    return kExitOk;
}

}  // namespace vessa_tool
