// vessa decrypt: the text back from its ciphertext, with the private key.
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

const CommandSpec &DecryptSpec() {
    static const CommandSpec definition{
        "decrypt",
        "Decrypt a ciphertext made by 'vessa encrypt' with the private key.",
        "--key FILE [--in FILE] [--out FILE [--force]] [--binary]",
        "The ciphertext is read from --in FILE or from standard input: base64 text\n"
        "(one trailing newline ignored), or raw bytes with --binary. Its length must\n"
        "be a multiple of 12 bytes. The plaintext bytes go to standard output or to\n"
        "the new file --out. A wrong key is not detected: it gives wrong bytes.",
        {{"key", "FILE", "private key file ('-' for standard input)"},
         {"in", "FILE", "read the ciphertext from FILE (default: standard input)"},
         {"out", "FILE", "write the plaintext to FILE instead of standard output"},
         {"force", "", "overwrite FILE if it exists"},
         {"binary", "", "read raw ciphertext bytes instead of base64"}},
    };
    return definition;
}

namespace {

std::vector<uint8_t> ReadCiphertext(const std::optional<std::string> &in, bool binary) {
    std::string input = ReadInput(in);
    if (binary) {
        return {input.begin(), input.end()};
    }
    StripOneNewline(input);
    std::vector<uint8_t> bytes(input.size());
    std::optional<size_t> size =
        vessa::Base64Decode(input.data(), input.size(), bytes.data(), bytes.size());
    if (!size) {
        throw ToolError(InputName(in) +
                        " is not base64 text (use --binary for raw ciphertext bytes)");
    }
    bytes.resize(*size);
    return bytes;
}

}  // namespace

int RunDecrypt(const ParsedArgs &args) {
    std::string key_path = RequiredValue(args, DecryptSpec(), "key");
    std::optional<std::string> in = args.Value("in");
    RefuseSharedStandardInput(key_path, in, "the key", "the ciphertext");
    std::string priv = LoadPrivateKey(key_path);
    std::vector<uint8_t> ciphertext = ReadCiphertext(in, args.Has("binary"));
    if (ciphertext.size() % VESSA_CIPHERTEXT_ENTRY_SIZE != 0) {
        throw ToolError("the ciphertext from " + InputName(in) + " is " +
                        std::to_string(ciphertext.size()) +
                        " bytes, not a multiple of " +
                        std::to_string(VESSA_CIPHERTEXT_ENTRY_SIZE));
    }
    if (ciphertext.size() > static_cast<size_t>(std::numeric_limits<int32_t>::max())) {
        throw ToolError("the ciphertext from " + InputName(in) + " is too long");
    }
    std::vector<char> plaintext(ciphertext.size() / VESSA_CIPHERTEXT_ENTRY_SIZE + 1);
    CurveHandle curve;
    int32_t rc = decrypt_to_string(curve.get(), priv.c_str(), ciphertext.data(),
                                   static_cast<int32_t>(ciphertext.size()), plaintext.data(),
                                   static_cast<int32_t>(plaintext.size()));
    if (rc < 0 || static_cast<size_t>(rc) + 1 != plaintext.size()) {
        throw ToolError("decryption failed (code " + std::to_string(rc) + ")");
    }
    // Every decrypted byte is written, zero bytes included.
    WriteOutput(args.Value("out"), std::string_view(plaintext.data(), static_cast<size_t>(rc)),
                args.Has("force"));
    return kExitOk;
}

}  // namespace vessa_tool
