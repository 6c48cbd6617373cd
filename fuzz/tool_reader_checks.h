// Invariants of the vessa tool's readers, compiled here as library code: the
// base64 ciphertext reader gives the same outcome for any split of its text
// and takes every strict base64 text whatever the line breaks; the signature
// reader takes exactly 16 hexadecimal digits and gives them back; the
// argument parser refuses only with a usage error; and a key file yields a
// key the library's readers accept, or a refusal naming it.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <span>
#include <string_view>

#include "../tools/vessa/arg_parser.h"
#include "../tools/vessa/base64_stream.h"
#include "../tools/vessa/key_input.h"
#include "../tools/vessa/short_text.h"
#include "../tools/vessa/signature_text.h"
#include "../tools/vessa/tool_error.h"
#include "fuzz_support.h"
#include "key_text_checks.h"

namespace vessa_fuzz {

// The data of `text` read in pieces whose sizes come from `splits`, or the
// refusal's message.
inline std::pair<std::vector<uint8_t>, std::string> ReadBase64(const std::string &text,
                                                               const std::vector<uint8_t> &splits) {
    vessa_tool::Base64StreamReader reader("the ciphertext");
    std::vector<uint8_t> data;
    try {
        size_t at = 0;
        for (size_t i = 0; at < text.size(); ++i) {
            const size_t piece = splits.empty() ? text.size() : splits[i % splits.size()] % 9;
            const size_t len = std::min(piece, text.size() - at);  // an empty piece, then on
            if (len == 0) {
                reader.Read(text.data() + at, 0, data);
                reader.Read(text.data() + at, 1, data);
                ++at;
                continue;
            }
            reader.Read(text.data() + at, len, data);
            at += len;
        }
        reader.Finish(data);
    } catch (const vessa_tool::ToolError &error) {
        return {{}, error.what()};
    }
    return {data, ""};
}

inline void CheckBase64Reader(const std::string &text, const std::vector<uint8_t> &splits) {
    const auto whole = ReadBase64(text, {});
    FUZZ_CHECK(ReadBase64(text, splits) == whole);
    std::string symbols;
    for (char c : text) {
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n') symbols += c;
    }
    if (const auto strict = StrictBase64Decode(symbols)) {
        FUZZ_CHECK(whole.second.empty());
        FUZZ_CHECK(std::string(whole.first.begin(), whole.first.end()) == *strict);
    }
}

inline void CheckSignatureReader(const std::string &content) {
    const vessa_tool::ShortText text = vessa_tool::TrimWhitespace(content);
    const bool hex = text.text.size() == VESSA_SIGNATURE_TEXT_LEN &&
                     std::all_of(text.text.begin(), text.text.end(),
                                 [](char c) { return HexValue(c) >= 0; });
    try {
        const vessa_tool::Signature signature = vessa_tool::ParseSignature(text, "the signature");
        FUZZ_CHECK(hex);
        std::string lower = text.text;
        for (char &c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        FUZZ_CHECK(vessa_tool::FormatSignature(signature) == lower);
    } catch (const vessa_tool::ToolError &) {
        FUZZ_CHECK(!hex);
    }
}

inline void CheckArgumentParser(const std::string &joined) {
    static const vessa_tool::CommandDefinition definition{
        "fuzz", "a command for the fuzzer", "[--key FILE] [--out FILE] [--quiet] [ARG]",
        "reads and writes nothing",
        {{"key", "FILE", "the key", 'k'}, {"out", "FILE", "the output", 'o'}, {"quiet", "", "no output", 'q'}},
        1};
    std::vector<std::string> args;
    size_t start = 0;
    for (size_t i = 0; i <= joined.size() && args.size() < 8; ++i) {
        if (i == joined.size() || joined[i] == '\0') {
            args.push_back(joined.substr(start, i - start));
            start = i + 1;
        }
    }
    const std::vector<std::string_view> views(args.begin(), args.end());
    try {
        const vessa_tool::ParsedArgs parsed = vessa_tool::ParseArgs(definition, views);
        FUZZ_CHECK(parsed.help_requested || parsed.positionals.size() <= definition.max_positionals);
    } catch (const vessa_tool::UsageError &) {
    }
}

// The key file: written to a file of this process's own, then loaded as a
// key of either kind.
inline void CheckKeyFile(const std::string &content) {
    static const std::string path =
        (std::filesystem::temp_directory_path() / ("vessa_fuzz_key_" + std::to_string(::getpid())))
            .string();
    {
        std::ofstream file(path, std::ios::binary | std::ios::trunc);
        file.write(content.data(), static_cast<std::streamsize>(content.size()));
        FUZZ_CHECK(static_cast<bool>(file));
    }
    try {
        const vessa_tool::AnyKey key = vessa_tool::LoadAnyKey(Keys().curve.get(), path);
        FUZZ_CHECK(key.text == vessa_tool::TrimWhitespace(content).text);
        int64_t a = 0;
        int64_t b = 0;
        FUZZ_CHECK(key.is_private ? resolve_private(key.text.c_str(), &a) == VESSA_OK
                                  : resolve_public(key.text.c_str(), &a, &b) == VESSA_OK);
    } catch (const vessa_tool::ToolError &error) {
        FUZZ_CHECK(std::string(error.what()).find(path) != std::string::npos);
    }
}

// Input: the reader (0 base64, 1 signature, 2 arguments, 3 key file), the
// split sizes (a count byte, then that many bytes), then the text.
inline void CheckToolReaderInput(const uint8_t *data, size_t size) {
    InputReader input(data, size);
    const uint8_t reader = input.Byte();
    std::vector<uint8_t> splits(input.Byte() % 6);
    for (uint8_t &split : splits) split = input.Byte();
    const std::vector<uint8_t> rest = input.Rest();
    const std::string text(rest.begin(), rest.end());
    switch (reader % 4) {
    case 0: CheckBase64Reader(text, splits); break;
    case 1: CheckSignatureReader(text); break;
    case 2: CheckArgumentParser(text); break;
    default: CheckKeyFile(text); break;
    }
}

}  // namespace vessa_fuzz
