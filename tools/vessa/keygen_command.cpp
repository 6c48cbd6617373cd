// vessa keygen: a fresh private key text on stdout, or a key pair in two files.
#include <cstdio>
#include <string>

#include "commands.h"
#include "curve_handle.h"
#include "file_io.h"
#include "tool_error.h"
#include "vessa.h"

namespace vessa_tool {

const CommandSpec &KeygenSpec() {
    static const CommandSpec definition{
        "keygen",
        "Make a new private key (and with --out, its public key).",
        "[--out NAME [--force]]",
        "Without --out the private key text is printed on standard output.\n"
        "With --out NAME the private key goes to NAME.key (readable by its owner only)\n"
        "and the public key to NAME.pub, each as the text and a newline. Neither file\n"
        "is written if either exists, unless --force is given.",
        {{"out", "NAME", "write the pair to NAME.key and NAME.pub"},
         {"force", "", "overwrite existing files"}},
    };
    return definition;
}

int RunKeygen(const ParsedArgs &args) {
    CurveHandle curve;
    char priv[VESSA_KEY_TEXT_SIZE];
    if (ecc_generate_private(curve.get(), priv, sizeof(priv)) != VESSA_KEY_TEXT_LEN) {
        throw ToolError("key generation failed");
    }
    std::optional<std::string> base = args.Value("out");
    if (!base) {
        WriteOutput(std::nullopt, std::string(priv) + "\n", false);
        return kExitOk;
    }
    if (base->empty()) {
        throw UsageError("--out needs a non-empty NAME");
    }
    char pub[VESSA_KEY_TEXT_SIZE];
    if (ecc_generate_public(curve.get(), priv, pub, sizeof(pub)) != VESSA_KEY_TEXT_LEN) {
        throw ToolError("public key derivation failed");
    }
    bool force = args.Has("force");
    const std::string key_path = *base + ".key";
    const std::string pub_path = *base + ".pub";
    // Check both names first so that a refusal leaves no half pair behind.
    CheckWritable(key_path, force);
    CheckWritable(pub_path, force);
    WriteNewFile(key_path, std::string(priv) + "\n", force, true);
    try {
        WriteNewFile(pub_path, std::string(pub) + "\n", force, false);
    } catch (const ToolError &) {
        std::remove(key_path.c_str());  // a private key without its public key is no pair
        throw;
    }
    std::fprintf(stderr, "vessa keygen: wrote %s and %s\n", key_path.c_str(), pub_path.c_str());
    return kExitOk;
}

}  // namespace vessa_tool
