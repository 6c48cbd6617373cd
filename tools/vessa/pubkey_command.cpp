// vessa pubkey: the public key text of a private key text.
#include "commands.h"
#include "curve_handle.h"
#include "file_io.h"
#include "key_input.h"
#include "tool_error.h"
#include "vessa.h"

namespace vessa_tool {

const CommandSpec &PubkeySpec() {
    static const CommandSpec definition{
        "pubkey",
        "Derive the public key text from a private key text.",
        "[--key FILE] [--out FILE [--force]]",
        "The private key is read from FILE, or from standard input without --key or\n"
        "with '--key -'; one trailing newline is ignored. The public key text and a\n"
        "newline go to standard output, or to the new file given with --out.",
        {{"key", "FILE", "private key file (default: standard input)"},
         {"out", "FILE", "write the public key to FILE instead of standard output"},
         {"force", "", "overwrite FILE if it exists"}},
    };
    return definition;
}

int RunPubkey(const ParsedArgs &args) {
    std::string priv = LoadPrivateKey(args.Value("key"));
    CurveHandle curve;
    char pub[VESSA_KEY_TEXT_SIZE];
    if (ecc_generate_public(curve.get(), priv.c_str(), pub, sizeof(pub)) != VESSA_KEY_TEXT_LEN) {
        throw ToolError("public key derivation failed");
    }
    WriteOutput(args.Value("out"), std::string(pub) + "\n", args.Has("force"));
    return kExitOk;
}

}  // namespace vessa_tool
