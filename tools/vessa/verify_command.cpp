// vessa verify: "valid" (exit 0) or "invalid" (exit 1) for a signature.
#include <cctype>

#include "commands.h"
#include "curve_handle.h"
#include "file_io.h"
#include "key_input.h"
#include "message_input.h"
#include "tool_error.h"
#include "vessa.h"

namespace vessa_tool {

const CommandSpec &VerifySpec() {
    static const CommandSpec definition{
        "verify",
        "Check a signature of a message under a public key.",
        "--key FILE (--signature TEXT | --signature-file FILE) [--message TEXT | --in FILE]",
        "Prints \"valid\" and exits with 0 when the signature matches, or prints\n"
        "\"invalid\" and exits with 1 when it does not. A key file that holds no valid\n"
        "key text, or a signature that is not 16 hexadecimal digits, is reported on\n"
        "standard error with exit status 2. The message is read as for 'vessa sign'.",
        {{"key", "FILE", "public key file"},
         {"signature", "TEXT", "the signature, 16 hexadecimal digits"},
         {"signature-file", "FILE", "read the signature from FILE (one newline ignored)"},
         kMessageOption,
         kMessageFileOption},
    };
    return definition;
}

namespace {

std::string ReadSignature(const ParsedArgs &args) {
    std::optional<std::string> text = args.Value("signature");
    std::optional<std::string> path = args.Value("signature-file");
    if (text.has_value() == path.has_value()) {
        throw UsageError("give the signature with exactly one of --signature and --signature-file");
    }
    if (path) {
        RefuseSharedStandardInput(path, args.Value("key").value_or(""), "the signature", "the key");
        if (!args.Has("message")) {
            RefuseSharedStandardInput(path, args.Value("in"), "the signature", "the message");
        }
    }
    std::string name =
        text ? std::string("the --signature argument") : "the signature from " + InputName(path);
    std::string signature = text ? *text : ReadInput(path);
    StripOneNewline(signature);
    bool well_formed = signature.size() == VESSA_SIGNATURE_TEXT_LEN;
    for (char c : signature) {
        well_formed = well_formed && std::isxdigit(static_cast<unsigned char>(c)) != 0;
    }
    if (!well_formed) {
        throw ToolError(name + " is not a signature text (16 hexadecimal digits expected)");
    }
    return signature;
}

}  // namespace

int RunVerify(const ParsedArgs &args) {
    std::string key_path = RequiredValue(args, VerifySpec(), "key");
    std::string signature = ReadSignature(args);
    std::string message = ReadMessage(args);
    std::string pub = LoadPublicKey(key_path);
    CurveHandle curve;
    // Key and signature text are checked above, so -1 here means no match.
    bool valid =
        verify_from_hex_string(curve.get(), pub.c_str(), message.c_str(), signature.c_str()) == 0;
    WriteOutput(std::nullopt, valid ? "valid\n" : "invalid\n", false);
    return valid ? kExitOk : kExitInvalid;
}

}  // namespace vessa_tool
