// vessa keygen: a fresh private key text on stdout, or a key pair in two files.
#include "commands.h"
#include "curve_handle.h"
#include "diagnostics.h"
#include "key_fingerprint.h"
#include "output_file.h"
#include "tool_error.h"
#include "vessa.h"

namespace vessa_tool {

const CommandDefinition &KeygenDefinition() {
    static const CommandDefinition definition{
        "keygen",
        "Make a new private key (and with --out, its public key).",
        "[--out NAME [--force]]",
        "Without --out the private key text and a newline are printed on standard\n"
        "output. With --out NAME the private key goes to NAME.key (mode 0600) and the\n"
        "public key to NAME.pub (mode 0644). Neither file is written if either exists,\n"
        "unless --force is given; then both are replaced together, only after both\n"
        "new files are complete, so a failure leaves the old pair as it was. The\n"
        "key's fingerprint is printed on standard error.",
        {{"out", "NAME", "write the pair to NAME.key and NAME.pub", 'o'}, kForceOption},
    };
    return definition;
}

int RunKeygen(const ParsedArgs &args) {
    std::optional<std::string> base = args.Value("out");
    if (base && base->empty()) {
        throw UsageError("--out needs a non-empty NAME");
    }
    bool force = args.Has("force");
    CurveHandle curve;
    char priv[VESSA_KEY_TEXT_SIZE];
    char pub[VESSA_KEY_TEXT_SIZE];
    if (ecc_generate_private(curve.get(), priv, sizeof(priv)) != VESSA_KEY_TEXT_LEN ||
        ecc_generate_public(curve.get(), priv, pub, sizeof(pub)) != VESSA_KEY_TEXT_LEN) {
        throw ToolError("key generation failed");
    }
    std::string fingerprint = KeyFingerprint(pub);
    if (!base) {
        OutputFile out(std::nullopt, {});
        out.Write(std::string(priv) + "\n");
        out.Commit();
        Note("fingerprint " + fingerprint);
        return kExitOk;
    }
    // Both targets are checked, and both new files written and synced, before
    // either is put in place.
    OutputFile key_file(*base + ".key", {.force = force, .private_file = true});
    OutputFile pub_file(*base + ".pub", {.force = force});
    key_file.Write(std::string(priv) + "\n");
    pub_file.Write(std::string(pub) + "\n");
    key_file.Finish();
    pub_file.Finish();
    // The public key first: should the second rename fail, the old private
    // key is still there, and a public key can always be derived again.
    pub_file.Publish();
    key_file.Publish();
    Note("wrote " + key_file.name() + " and " + pub_file.name() + ", fingerprint " +
         fingerprint);
    return kExitOk;
}

}  // namespace vessa_tool
