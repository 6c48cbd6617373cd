// The one argument parser every vessa command uses: long options with or
// without a value ("--out FILE" or "--out=FILE"), one-letter forms of the
// common ones ("-o FILE" or "-oFILE"), "-h"/"--help", "--" to end the
// options, and a bounded number of positional arguments.
#pragma once

#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vessa_tool {

struct OptionDefinition {
    std::string_view name;        // without the leading "--"
    std::string_view value_name;  // empty for a flag that takes no value
    std::string_view help;
    char short_name = '\0';      // '\0' when the option has no one-letter form
};

struct CommandDefinition {
    std::string_view name;
    std::string_view summary;      // one line, for the command list
    std::string_view usage;        // e.g. "[--key FILE] [--out FILE]"
    std::string_view description;  // what the command reads and writes
    std::vector<OptionDefinition> options;
    size_t max_positionals = 0;
};

class ParsedArgs {
public:
    bool help_requested = false;
    std::vector<std::string> positionals;

    bool Has(std::string_view option) const { return values_.count(std::string(option)) != 0; }
    std::optional<std::string> Value(std::string_view option) const;

private:
    friend ParsedArgs ParseArgs(const CommandDefinition &definition, std::span<const std::string_view> args);
    std::map<std::string, std::string> values_;
};

// Parses the arguments that follow the command name. Throws UsageError for
// an unknown or repeated option, a missing value, a value given to a flag,
// or too many positional arguments. After "--help" nothing else is checked.
ParsedArgs ParseArgs(const CommandDefinition &definition, std::span<const std::string_view> args);

// The full help text of one command.
std::string HelpText(const CommandDefinition &definition);

}  // namespace vessa_tool
