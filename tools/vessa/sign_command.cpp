// vessa sign: the hexadecimal signature of a message of any size.
#include "commands.h"
#include "curve_handle.h"
#include "key_input.h"
#include "message_input.h"
#include "output_file.h"
#include "signature_text.h"
#include "tool_error.h"
#include "vessa.h"

namespace vessa_tool {

const CommandDefinition &SignDefinition() {
    static const CommandDefinition definition{
        "sign",
        "Sign a message with a private key.",
        "--key FILE [--message TEXT | --in FILE] [--out FILE [--force]]",
        "The message is the argument of --message, the content of --in FILE, or\n"
        "standard input, taken byte for byte: any bytes (NUL included) and any\n"
        "length, read in pieces in constant memory; a trailing newline is signed\n"
        "too. The signature, 16 hexadecimal digits and a newline, goes to standard\n"
        "output or to the file --out. A public key given as the private key is\n"
        "refused.",
        {{"key", "FILE", "private key file ('-' for standard input)", 'k'},
         kMessageOption,
         kMessageFileOption,
         {"out", "FILE", "write the signature to FILE instead of standard output", 'o'},
         kForceOption},
    };
    return definition;
}

int RunSign(const ParsedArgs &args) {
    std::string key_path = RequiredValue(args, SignDefinition(), "key");
    RefuseKeyAndInputOnStandardInput(args, "the message");
    CurveHandle curve;
    std::string priv = LoadPrivateKey(curve.get(), key_path);
    // The target is checked before a long message is read.
    OutputFile out(args.Value("out"), {.force = args.Has("force")});
    VessaMessage message;
    vessa_message_init(&message);
    ForEachInputPiece(args, "the message", [&](const uint8_t *piece, size_t size) {
        vessa_message_update(&message, piece, size);
    });
    Signature signature;
    if (vessa_sign_message(curve.get(), priv.c_str(), &message, &signature.s, &signature.e) !=
        VESSA_OK) {
        throw ToolError("signing failed");
    }
    out.Write(FormatSignature(signature) + "\n");
    out.Commit();
    return kExitOk;
}

}  // namespace vessa_tool
