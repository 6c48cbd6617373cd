#include "arg_parser.h"

#include <algorithm>

#include "display_name.h"
#include "tool_error.h"

namespace vessa_tool {

std::optional<std::string> ParsedArgs::Value(std::string_view option) const {
    auto it = values_.find(std::string(option));
    if (it == values_.end()) {
        return std::nullopt;
    }
    return it->second;
}

namespace {

const OptionDefinition *FindOption(const CommandDefinition &definition, std::string_view name) {
    auto it = std::find_if(definition.options.begin(), definition.options.end(),
                           [name](const OptionDefinition &option) { return option.name == name; });
    return it == definition.options.end() ? nullptr : &*it;
}

const OptionDefinition *FindShortOption(const CommandDefinition &definition, char letter) {
    auto it = std::find_if(
        definition.options.begin(), definition.options.end(),
        [letter](const OptionDefinition &option) { return option.short_name == letter; });
    return it == definition.options.end() ? nullptr : &*it;
}

}  // namespace

ParsedArgs ParseArgs(const CommandDefinition &definition, std::span<const std::string_view> args) {
    ParsedArgs parsed;
    bool options_ended = false;
    for (size_t i = 0; i < args.size(); ++i) {
        std::string_view arg = args[i];
        if (!options_ended && (arg == "-h" || arg == "--help")) {
            parsed.help_requested = true;
            return parsed;
        }
        if (!options_ended && arg == "--") {
            options_ended = true;
            continue;
        }
        // A lone "-" is an ordinary argument (conventionally standard input).
        if (options_ended || arg.size() < 2 || arg[0] != '-') {
            if (parsed.positionals.size() >= definition.max_positionals) {
                throw UsageError(definition.max_positionals == 0
                                     ? "unexpected argument " + Quoted(arg)
                                     : "too many arguments (at " + Quoted(arg) + ")");
            }
            parsed.positionals.emplace_back(arg);
            continue;
        }
        const OptionDefinition *option = nullptr;
        std::optional<std::string_view> inline_value;
        if (arg.substr(0, 2) != "--") {
            // "-k FILE", "-kFILE", or a lone flag such as "-f".
            option = FindShortOption(definition, arg[1]);
            if (option == nullptr || (option->value_name.empty() && arg.size() > 2)) {
                throw UsageError("unknown option " + Quoted(arg));
            }
            if (arg.size() > 2) {
                inline_value = arg.substr(2);
            }
        } else {
            std::string_view body = arg.substr(2);
            if (size_t eq = body.find('='); eq != std::string_view::npos) {
                inline_value = body.substr(eq + 1);
                body = body.substr(0, eq);
            }
            option = FindOption(definition, body);
            if (option == nullptr) {
                throw UsageError("unknown option " + Quoted("--" + std::string(body)));
            }
        }
        const std::string name(option->name);
        if (parsed.Has(name)) {
            throw UsageError("option '--" + name + "' given twice");
        }
        std::string value;
        if (option->value_name.empty()) {
            if (inline_value) {
                throw UsageError("option '--" + name + "' takes no value");
            }
        } else if (inline_value) {
            value = *inline_value;
        } else if (i + 1 < args.size()) {
            value = args[++i];
        } else {
            throw UsageError("option '--" + name + "' needs a value (" +
                             std::string(option->value_name) + ")");
        }
        parsed.values_.emplace(name, std::move(value));
    }
    return parsed;
}

std::string HelpText(const CommandDefinition &definition) {
    std::string text = "usage: vessa " + std::string(definition.name);
    if (!definition.usage.empty()) {
        text += " " + std::string(definition.usage);
    }
    text += "\n\n" + std::string(definition.summary) + "\n";
    if (!definition.description.empty()) {
        text += "\n" + std::string(definition.description) + "\n";
    }
    text += "\noptions:\n";
    std::vector<std::pair<std::string, std::string_view>> rows;
    for (const OptionDefinition &option : definition.options) {
        std::string left = option.short_name != '\0'
                               ? std::string{'-', option.short_name, ',', ' '}
                               : std::string(4, ' ');
        left += "--" + std::string(option.name);
        if (!option.value_name.empty()) {
            left += " " + std::string(option.value_name);
        }
        rows.emplace_back(std::move(left), option.help);
    }
    rows.emplace_back("-h, --help", "show this help and exit");
    size_t width = 0;
    for (const auto &row : rows) {
        width = std::max(width, row.first.size());
    }
    for (const auto &[left, help] : rows) {
        text += "  " + left + std::string(width - left.size() + 2, ' ') + std::string(help) + "\n";
    }
    return text;
}

}  // namespace vessa_tool
