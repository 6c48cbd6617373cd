#include "short_text.h"

#include <cstdio>

namespace vessa_tool {

namespace {

bool IsWhitespace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

}  // namespace

ShortText TrimWhitespace(std::string_view content) {
    size_t begin = 0;
    while (begin < content.size() && IsWhitespace(content[begin])) {
        ++begin;
    }
    size_t end = content.size();
    while (end > begin && IsWhitespace(content[end - 1])) {
        --end;
    }
    return {std::string(content.substr(begin, end - begin)), begin};
}

std::string DescribeByteAt(unsigned char byte, size_t offset) {
    char hex[8];
    std::snprintf(hex, sizeof(hex), "0x%02x", byte);
    std::string shown;
    switch (byte) {
    case ' ': shown = " (a space)"; break;
    case '\t': shown = " (a tab)"; break;
    case '\r': shown = " (a carriage return)"; break;
    case '\n': shown = " (a line feed)"; break;
    case '\0': shown = " (a NUL)"; break;
    default:
        if (byte > 0x20 && byte < 0x7f) {
            shown = std::string(" ('") + static_cast<char>(byte) + "')";
        }
    }
    return "byte " + std::string(hex) + shown + " at offset " + std::to_string(offset);
}

}  // namespace vessa_tool
