// vessa fingerprint: the stable identity of a key, for comparing keys.
#include "commands.h"
#include "curve_handle.h"
#include "key_fingerprint.h"
#include "key_input.h"
#include "output_file.h"
#include "tool_error.h"
#include "vessa.h"

namespace vessa_tool {

const CommandDefinition &FingerprintDefinition() {
    static const CommandDefinition definition{
        "fingerprint",
        "Print the fingerprint of a key: the same for every text of one key.",
        "[--key FILE]",
        "The key is read from FILE, or from standard input without --key or with\n"
        "'--key -'. The fingerprint, 16 hexadecimal digits and a newline, goes to\n"
        "standard output. Every text of one key has the same fingerprint (key texts\n"
        "differ from run to run in their filler), a private key the fingerprint of its\n"
        "public key, and different keys different fingerprints; 'vessa keygen' and\n"
        "'vessa pubkey' print it too.",
        {{"key", "FILE", "private or public key file (default: standard input)", 'k'}},
    };
    return definition;
}

int RunFingerprint(const ParsedArgs &args) {
    CurveHandle curve;
    AnyKey key = LoadAnyKey(curve.get(), args.Value("key"));
    std::string pub = key.text;
    if (key.is_private) {
        char derived[VESSA_KEY_TEXT_SIZE];
        if (ecc_generate_public(curve.get(), key.text.c_str(), derived, sizeof(derived)) !=
            VESSA_KEY_TEXT_LEN) {
            throw ToolError("public key derivation failed");
        }
        pub = derived;
    }
    OutputFile out(std::nullopt, {});
    out.Write(KeyFingerprint(pub) + "\n");
    out.Commit();
    return kExitOk;
}

}  // namespace vessa_tool
