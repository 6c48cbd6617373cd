#include "diagnostics.h"

#include <cstdio>

namespace vessa_tool {

namespace {

std::string &Prefix() {
    static std::string prefix = "vessa";
    return prefix;
}

}  // namespace

void SetCommandPrefix(std::string prefix) { Prefix() = std::move(prefix); }

const std::string &CommandPrefix() { return Prefix(); }

void Note(std::string_view line) {
    std::fprintf(stderr, "%s: %.*s\n", Prefix().c_str(), static_cast<int>(line.size()),
                 line.data());
}

}  // namespace vessa_tool
