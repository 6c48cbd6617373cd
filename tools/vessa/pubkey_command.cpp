// vessa pubkey: the public key text of a private key text.
#include "commands.h"
#include "curve_handle.h"
#include "diagnostics.h"
#include "key_fingerprint.h"
#include "key_input.h"
#include "output_file.h"
#include "tool_error.h"
#include "vessa.h"

namespace vessa_tool {

const CommandDefinition &PubkeyDefinition() {
    static const CommandDefinition definition{
        "pubkey",
        "Derive the public key text from a private key text.",
        "[--key FILE] [--out FILE [--force]]",
        "The private key is read from FILE, or from standard input without --key or\n"
        "with '--key -'; whitespace around the text is ignored. The public key text\n"
        "and a newline go to standard output, or to the file given with --out. Its\n"
        "filler differs on every run, so the text does too; the key's fingerprint,\n"
        "printed on standard error, stays the same.",
        {{"key", "FILE", "private key file (default: standard input)", 'k'},
         {"out", "FILE", "write the public key to FILE instead of standard output", 'o'},
         kForceOption},
    };
    return definition;
}

int RunPubkey(const ParsedArgs &args) {
    CurveHandle curve;
    std::string priv = LoadPrivateKey(curve.get(), args.Value("key"));
    OutputFile out(args.Value("out"), {.force = args.Has("force")});
    char pub[VESSA_KEY_TEXT_SIZE];
    if (ecc_generate_public(curve.get(), priv.c_str(), pub, sizeof(pub)) != VESSA_KEY_TEXT_LEN) {
        throw ToolError("public key derivation failed");
    }
    out.Write(std::string(pub) + "\n");
    out.Commit();
    Note("fingerprint " + KeyFingerprint(pub));
    return kExitOk;
}

}  // namespace vessa_tool
