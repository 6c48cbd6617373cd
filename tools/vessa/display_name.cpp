#include "display_name.h"

namespace vessa_tool {

std::string Quoted(std::string_view text) {
    static constexpr char kHexDigits[] = "0123456789abcdef";
    std::string quoted = "'";
    for (char c : text) {
        auto byte = static_cast<unsigned char>(c);
        switch (c) {
        case '\n': quoted += "\\n"; break;
        case '\r': quoted += "\\r"; break;
        case '\t': quoted += "\\t"; break;
        case '\\': quoted += "\\\\"; break;
        default:
            if (byte < 0x20 || byte == 0x7f) {
                quoted += "\\x";
                quoted += kHexDigits[byte >> 4];
                quoted += kHexDigits[byte & 0xf];
            } else {
                quoted += c;
            }
        }
    }
    quoted += "'";
    return quoted;
}

bool IsStandardStream(const std::optional<std::string> &path) { return !path || *path == "-"; }

std::string InputName(const std::optional<std::string> &path) {
    return IsStandardStream(path) ? "standard input" : Quoted(*path);
}

std::string OutputName(const std::optional<std::string> &path) {
    return IsStandardStream(path) ? "standard output" : Quoted(*path);
}

}  // namespace vessa_tool
