// vessa decrypt: the bytes back from their ciphertext, with the private key.
#include <cstring>
#include <vector>

#include "base64_stream.h"
#include "commands.h"
#include "curve_handle.h"
#include "input_stream.h"
#include "key_input.h"
#include "message_input.h"
#include "output_file.h"
#include "tool_error.h"
#include "vessa.h"

namespace vessa_tool {

const CommandDefinition &DecryptDefinition() {
    static const CommandDefinition definition{
        "decrypt",
        "Decrypt a ciphertext made by 'vessa encrypt' with the private key.",
        "--key FILE [--in FILE] [--out FILE [--force]] [--binary]",
        "The ciphertext is read from --in FILE or from standard input, in pieces in\n"
        "constant memory: base64 text, in one line or wrapped, with LF or CRLF line\n"
        "ends and whitespace ignored, or raw bytes with --binary. It must come to a\n"
        "multiple of 12 bytes. The plaintext bytes go to standard output or to the\n"
        "file --out, which is only put in place when the whole ciphertext was read.\n"
        "A public key given as the private key is refused. A wrong private key is not\n"
        "detected: it gives wrong bytes.",
        {{"key", "FILE", "private key file ('-' for standard input)", 'k'},
         {"in", "FILE", "read the ciphertext from FILE (default: standard input)", 'i'},
         {"out", "FILE", "write the plaintext to FILE instead of standard output", 'o'},
         kForceOption,
         {"binary", "", "read raw ciphertext bytes instead of base64", 'b'}},
    };
    return definition;
}

namespace {

// Decrypts whole entries as they arrive and keeps the bytes of an entry cut
// by a piece boundary for the next piece.
class EntryDecryptor {
public:
    EntryDecryptor(const EccCurve *curve, const std::string &priv, OutputFile &out)
        : curve_(curve), priv_(priv), out_(out), plaintext_(kPieceSize) {}
    ~EntryDecryptor() { ::explicit_bzero(plaintext_.data(), plaintext_.size()); }
    EntryDecryptor(const EntryDecryptor &) = delete;
    EntryDecryptor &operator=(const EntryDecryptor &) = delete;

    // Takes the bytes of `pending` from the front, leaving an incomplete
    // entry behind.
    void Consume(std::vector<uint8_t> &pending) {
        size_t done = 0;
        while (pending.size() - done >= VESSA_CIPHERTEXT_ENTRY_SIZE) {
            size_t entries = std::min((pending.size() - done) / VESSA_CIPHERTEXT_ENTRY_SIZE,
                                      plaintext_.size());
            size_t bytes = entries * VESSA_CIPHERTEXT_ENTRY_SIZE;
            if (vessa_decrypt_bytes(curve_, priv_.c_str(), pending.data() + done, bytes,
                                    plaintext_.data(), plaintext_.size()) != VESSA_OK) {
                throw ToolError("decryption failed");
            }
            out_.Write({reinterpret_cast<const char *>(plaintext_.data()), entries});
            done += bytes;
        }
        total_ += done;
        pending.erase(pending.begin(), pending.begin() + static_cast<ptrdiff_t>(done));
    }

    size_t total() const { return total_; }

private:
    const EccCurve *curve_;
    const std::string &priv_;
    OutputFile &out_;
    std::vector<uint8_t> plaintext_;
    size_t total_ = 0;
};

}  // namespace

int RunDecrypt(const ParsedArgs &args) {
    std::string key_path = RequiredValue(args, DecryptDefinition(), "key");
    std::optional<std::string> in_path = args.Value("in");
    RefuseSharedStandardInput(key_path, in_path, "the key", "the ciphertext");
    CurveHandle curve;
    std::string priv = LoadPrivateKey(curve.get(), key_path);
    OutputFile out(args.Value("out"), {.force = args.Has("force")});
    InputStream in(in_path, "the ciphertext");
    EntryDecryptor decryptor(curve.get(), priv, out);
    Base64StreamReader base64(in.name());
    bool binary = args.Has("binary");
    std::vector<char> text(kPieceSize * VESSA_CIPHERTEXT_ENTRY_SIZE);
    std::vector<uint8_t> pending;
    pending.reserve(text.size() + VESSA_CIPHERTEXT_ENTRY_SIZE);
    while (size_t got = in.Read(text.data(), text.size())) {
        if (binary) {
            pending.insert(pending.end(), text.begin(), text.begin() + static_cast<ptrdiff_t>(got));
        } else {
            base64.Read(text.data(), got, pending);
        }
        decryptor.Consume(pending);
    }
    if (!binary) {
        base64.Finish(pending);
        decryptor.Consume(pending);
    }
    if (!pending.empty()) {
        throw ToolError("the ciphertext from " + in.name() + " is " +
                        std::to_string(decryptor.total() + pending.size()) +
                        " bytes, not a multiple of " +
                        std::to_string(VESSA_CIPHERTEXT_ENTRY_SIZE));
    }
    out.Commit();
    return kExitOk;
}

}  // namespace vessa_tool
