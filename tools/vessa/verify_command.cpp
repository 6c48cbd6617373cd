// vessa verify: "valid" (exit 0) or "invalid" (exit 1) for a signature.
#include "commands.h"
#include "curve_handle.h"
#include "display_name.h"
#include "input_stream.h"
#include "key_input.h"
#include "message_input.h"
#include "output_file.h"
#include "signature_text.h"
#include "tool_error.h"
#include "vessa.h"

namespace vessa_tool {

const CommandDefinition &VerifyDefinition() {
    static const CommandDefinition definition{
        "verify",
        "Check a signature of a message under a public key.",
        "--key FILE (--signature TEXT | --signature-file FILE) [--message TEXT | --in FILE]\n"
        "       [--quiet]",
        "Prints \"valid\" and exits with 0 when the signature matches, or prints\n"
        "\"invalid\" and exits with 1 when it does not; with --quiet nothing is\n"
        "printed and only the exit status tells. A key file that holds no public key\n"
        "(a private key included), or a signature that is not 16 hexadecimal digits,\n"
        "is reported on standard error with exit status 2; whitespace around the\n"
        "signature or the key text is ignored. The message is read as for\n"
        "'vessa sign'.",
        {{"key", "FILE", "public key file ('-' for standard input)", 'k'},
         {"signature", "TEXT", "the signature, 16 hexadecimal digits", 's'},
         {"signature-file", "FILE", "read the signature from FILE"},
         kMessageOption,
         kMessageFileOption,
         {"quiet", "", "print neither valid nor invalid; the exit status tells", 'q'}},
    };
    return definition;
}

namespace {

Signature ReadSignature(const ParsedArgs &args) {
    std::optional<std::string> text = args.Value("signature");
    std::optional<std::string> path = args.Value("signature-file");
    if (text.has_value() == path.has_value()) {
        throw UsageError("give the signature with exactly one of --signature and --signature-file");
    }
    if (text) {
        return ParseSignature(TrimWhitespace(*text), "the --signature argument");
    }
    RefuseSharedStandardInput(path, args.Value("key").value_or(""), "the signature", "the key");
    if (!args.Has("message")) {
        RefuseSharedStandardInput(path, args.Value("in"), "the signature", "the message");
    }
    std::string content = ReadSmallInput(path, "the signature", kShortTextLimit);
    return ParseSignature(TrimWhitespace(content), InputName(path));
}

}  // namespace

int RunVerify(const ParsedArgs &args) {
    std::string key_path = RequiredValue(args, VerifyDefinition(), "key");
    RefuseKeyAndInputOnStandardInput(args, "the message");
    Signature signature = ReadSignature(args);
    CurveHandle curve;
    std::string pub = LoadPublicKey(curve.get(), key_path);
    VessaMessage message;
    vessa_message_init(&message);
    ForEachInputPiece(args, "the message", [&](const uint8_t *piece, size_t size) {
        vessa_message_update(&message, piece, size);
    });
    // The key was checked above, so any failure here means no match.
    bool valid = vessa_verify_message(curve.get(), pub.c_str(), &message, signature.s,
                                      signature.e) == VESSA_OK;
    if (!args.Has("quiet")) {
        OutputFile out(std::nullopt, {});
        out.Write(valid ? "valid\n" : "invalid\n");
        out.Commit();
    }
    return valid ? kExitOk : kExitInvalid;
}

}  // namespace vessa_tool
