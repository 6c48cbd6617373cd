#include "message_input.h"

#include "file_io.h"
#include "key_input.h"
#include "tool_error.h"

namespace vessa_tool {

std::string ReadMessage(const ParsedArgs &args) {
    std::optional<std::string> text = args.Value("message");
    std::optional<std::string> path = args.Value("in");
    if (text && path) {
        throw UsageError("give the message either with --message or with --in, not both");
    }
    if (text) {
        return *text;
    }
    RefuseSharedStandardInput(args.Value("key").value_or(""), path, "the key", "the message");
    std::string message = ReadInput(path);
    RefuseEmbeddedNul(message, "the message from " + InputName(path));
    return message;
}

}  // namespace vessa_tool
