// vessa encrypt: any bytes encrypted under a public key, as base64 or raw.
#include <cstring>
#include <vector>

#include "base64_stream.h"
#include "commands.h"
#include "curve_handle.h"
#include "key_input.h"
#include "message_input.h"
#include "output_file.h"
#include "tool_error.h"
#include "vessa.h"

namespace vessa_tool {

const CommandDefinition &EncryptDefinition() {
    static const CommandDefinition definition{
        "encrypt",
        "Encrypt bytes under a public key.",
        "--key FILE [--message TEXT | --in FILE] [--out FILE [--force]] [--binary]",
        "The plaintext is the argument of --message, the content of --in FILE, or\n"
        "standard input: any bytes (NUL included) and any length, read in pieces in\n"
        "constant memory. Each byte becomes 12 bytes of ciphertext, written as base64\n"
        "in lines of 76 characters, or as raw bytes with --binary. Raw bytes are not\n"
        "written to a terminal unless '--out -' asks for it. A private key given as\n"
        "the public key is refused.",
        {{"key", "FILE", "public key file ('-' for standard input)", 'k'},
         {"message", "TEXT", "the plaintext itself", 'm'},
         {"in", "FILE", "read the plaintext from FILE (default: standard input)", 'i'},
         {"out", "FILE", "write the ciphertext to FILE instead of standard output", 'o'},
         kForceOption,
         {"binary", "", "write raw ciphertext bytes instead of base64", 'b'}},
    };
    return definition;
}

int RunEncrypt(const ParsedArgs &args) {
    std::string key_path = RequiredValue(args, EncryptDefinition(), "key");
    RefuseKeyAndInputOnStandardInput(args, "the plaintext");
    CurveHandle curve;
    std::string pub = LoadPublicKey(curve.get(), key_path);
    bool binary = args.Has("binary");
    OutputFile out(args.Value("out"), {.force = args.Has("force"), .binary = binary});
    Base64LineWriter base64(out);
    std::vector<uint8_t> ciphertext(kPieceSize * VESSA_CIPHERTEXT_ENTRY_SIZE);
    ForEachInputPiece(args, "the plaintext", [&](const uint8_t *piece, size_t size) {
        if (vessa_encrypt_bytes(curve.get(), pub.c_str(), piece, size, ciphertext.data(),
                                ciphertext.size()) != VESSA_OK) {
            throw ToolError("encryption failed");
        }
        size_t bytes = size * VESSA_CIPHERTEXT_ENTRY_SIZE;
        if (binary) {
            out.Write({reinterpret_cast<const char *>(ciphertext.data()), bytes});
        } else {
            base64.Write(ciphertext.data(), bytes);
        }
    });
    if (!binary) {
        base64.Finish();
    }
    out.Commit();
    return kExitOk;
}

}  // namespace vessa_tool
