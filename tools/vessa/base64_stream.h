// Base64 for ciphertexts of any length, in pieces: the writer wraps its
// lines at 76 columns, as the usual base64 tools do; the reader takes what
// those tools and earlier vessa versions write (one long line or wrapped
// lines, LF or CRLF, trailing spaces) and names the first byte it cannot
// take and its offset.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "output_file.h"

namespace vessa_tool {

class Base64LineWriter {
public:
    static constexpr size_t kLineLength = 76;

    explicit Base64LineWriter(OutputFile &out) : out_(out) {}

    // Encodes `size` more bytes; any split of the data gives the same text.
    void Write(const uint8_t *data, size_t size);

    // Encodes the last bytes with padding and ends the last line with a
    // newline (an empty input gives a single newline).
    void Finish();

private:
    void Emit(const char *text, size_t size);

    OutputFile &out_;
    uint8_t pending_[3] = {};
    size_t pending_size_ = 0;
    size_t column_ = 0;
    bool wrote_ = false;
    std::string line_buffer_;
};

class Base64StreamReader {
public:
    // `name` names the input in messages.
    explicit Base64StreamReader(std::string name) : name_(std::move(name)) {}

    // Decodes the next `size` bytes of the text and appends the data to
    // `out`. Throws ToolError naming the first byte that is neither a base64
    // symbol, padding in its place, nor whitespace, with its offset.
    void Read(const char *text, size_t size, std::vector<uint8_t> &out);

    // Ends the text: appends the data of a last group without padding, and
    // throws ToolError when the text stops inside a group or its last symbol
    // has bits set that carry no data.
    void Finish(std::vector<uint8_t> &out);

private:
    void EndGroup(std::vector<uint8_t> &out);

    std::string name_;
    uint32_t bits_ = 0;
    int symbols_ = 0;    // symbols in the group being read
    int padding_ = 0;    // "=" seen in it
    bool ended_ = false;  // a padded group closed the text
    size_t offset_ = 0;   // of the next byte
    size_t last_symbol_offset_ = 0;
};

}  // namespace vessa_tool
