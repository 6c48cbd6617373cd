// vessa sign: the hexadecimal signature of a message.
#include "commands.h"
#include "curve_handle.h"
#include "file_io.h"
#include "key_input.h"
#include "message_input.h"
#include "tool_error.h"
#include "vessa.h"

namespace vessa_tool {

const CommandSpec &SignSpec() {
    static const CommandSpec definition{
        "sign",
        "Sign a message with a private key.",
        "--key FILE [--message TEXT | --in FILE] [--out FILE [--force]]",
        "The message is the argument of --message, the content of --in FILE, or\n"
        "standard input, taken byte for byte (a trailing newline is signed too).\n"
        "A message holding a NUL byte is refused. The signature, 16 hexadecimal\n"
        "digits and a newline, goes to standard output or to the new file --out.",
        {{"key", "FILE", "private key file ('-' for standard input)"},
         kMessageOption,
         kMessageFileOption,
         {"out", "FILE", "write the signature to FILE instead of standard output"},
         {"force", "", "overwrite FILE if it exists"}},
    };
    return definition;
}

int RunSign(const ParsedArgs &args) {
    std::string key_path = RequiredValue(args, SignSpec(), "key");
    std::string message = ReadMessage(args);
    std::string priv = LoadPrivateKey(key_path);
    CurveHandle curve;
    char signature[VESSA_SIGNATURE_TEXT_SIZE];
    if (sign_to_hex_string(curve.get(), priv.c_str(), message.c_str(), signature,
                           sizeof(signature)) != 0) {
        throw ToolError("signing failed");
    }
    WriteOutput(args.Value("out"), std::string(signature) + "\n", args.Has("force"));
    return kExitOk;
}

}  // namespace vessa_tool
