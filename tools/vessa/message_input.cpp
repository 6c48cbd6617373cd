#include "message_input.h"

#include <cstring>
#include <vector>

#include "input_stream.h"
#include "tool_error.h"

namespace vessa_tool {

void RefuseKeyAndInputOnStandardInput(const ParsedArgs &args, const std::string &what) {
    if (std::optional<std::string> key = args.Value("key"); key && !args.Has("message")) {
        RefuseSharedStandardInput(key, args.Value("in"), "the key", what);
    }
}

void ForEachInputPiece(const ParsedArgs &args, const std::string &what,
                       const std::function<void(const uint8_t *, size_t)> &consume) {
    std::optional<std::string> text = args.Value("message");
    std::optional<std::string> path = args.Value("in");
    if (text && path) {
        throw UsageError("give " + what + " either with --message or with --in, not both");
    }
    if (text) {
        for (size_t at = 0; at < text->size(); at += kPieceSize) {
            size_t size = std::min(kPieceSize, text->size() - at);
            consume(reinterpret_cast<const uint8_t *>(text->data() + at), size);
        }
        return;
    }
    InputStream input(path, what);
    // The plaintext of encrypt is a secret: the buffer is wiped when done.
    struct WipedPiece {
        std::vector<uint8_t> bytes = std::vector<uint8_t>(kPieceSize);
        ~WipedPiece() { ::explicit_bzero(bytes.data(), bytes.size()); }
    } piece;
    while (size_t got = input.Read(piece.bytes.data(), piece.bytes.size())) {
        consume(piece.bytes.data(), got);
    }
}

}  // namespace vessa_tool
