// vessa: the command-line front end of libvessa.
#include <csignal>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "arg_parser.h"
#include "commands.h"
#include "diagnostics.h"
#include "display_name.h"
#include "output_file.h"
#include "tool_error.h"

namespace vessa_tool {

std::span<const Command> AllCommands() {
    static const Command commands[] = {
        {KeygenDefinition(), RunKeygen},
        {PubkeyDefinition(), RunPubkey},
        {FingerprintDefinition(), RunFingerprint},
        {SignDefinition(), RunSign},
        {VerifyDefinition(), RunVerify},
        {EncryptDefinition(), RunEncrypt},
        {DecryptDefinition(), RunDecrypt},
        {BenchDefinition(), RunBenchCommand},
        {DemoDefinition(), RunDemo},
    };
    return commands;
}

std::string RequiredValue(const ParsedArgs &args, const CommandDefinition &definition,
                          std::string_view option) {
    std::optional<std::string> value = args.Value(option);
    if (!value) {
        for (const OptionDefinition &known : definition.options) {
            if (known.name == option) {
                throw UsageError("missing --" + std::string(option) + " " +
                                 std::string(known.value_name));
            }
        }
        throw UsageError("missing --" + std::string(option));
    }
    return *value;
}

namespace {

std::string Overview() {
    std::string text =
        "usage: vessa COMMAND [OPTIONS]\n"
        "\n"
        "Keys, signatures and encryption on libvessa's small curve (a toy: as strong as a\n"
        "17-bit discrete logarithm; for teaching and testing, never for real secrets).\n"
        "\n"
        "commands:\n";
    for (const Command &command : AllCommands()) {
        std::string name(command.definition.name);
        text += "  " + name + std::string(13 - name.size(), ' ') +
                std::string(command.definition.summary) + "\n";
    }
    text +=
        "\n"
        "Run 'vessa COMMAND --help' for the options of a command, 'vessa --version'\n"
        "for the version.\n"
        "Exit status: 0 success, 1 an invalid signature (verify), 2 a usage error,\n"
        "malformed input, a key of the wrong kind, or a failed read or write.\n"
        "\n"
        "Inputs of any size and any bytes are read in pieces, in constant memory.\n"
        "A file named with --out is written to a temporary file beside it and renamed\n"
        "into place only when complete, so a failure leaves an old file as it was; an\n"
        "existing file or symbolic link (replaced, never followed) needs --force.\n"
        "Terminals, pipes, FIFOs and devices are written in place.\n";
    return text;
}

const Command *FindCommand(std::string_view name) {
    for (const Command &command : AllCommands()) {
        if (command.definition.name == name) {
            return &command;
        }
    }
    return nullptr;
}

void WriteStandardOutput(std::string_view text) {
    OutputFile out(std::nullopt, {});
    out.Write(text);
    out.Commit();
}

int Fail(std::string_view prefix, const ToolError &error, bool usage) {
    std::string line = std::string(prefix) + ": " + error.what();
    if (usage) {
        line += " (see '" + std::string(prefix) + " --help')";
    }
    std::fprintf(stderr, "%s\n", line.c_str());
    return error.exit_status();
}

int Main(std::span<const std::string_view> args) {
    if (args.empty()) {
        std::fprintf(stderr, "%s", Overview().c_str());
        return kExitUsage;
    }
    std::string_view first = args[0];
    if (first == "-h" || first == "--help" || (first == "help" && args.size() == 1)) {
        WriteStandardOutput(Overview());
        return kExitOk;
    }
    if (first == "--version") {
        WriteStandardOutput("vessa " VESSA_TOOL_VERSION "\n");
        return kExitOk;
    }
    if (first == "help") {
        const Command *command = FindCommand(args[1]);
        if (command == nullptr || args.size() > 2) {
            return Fail("vessa", UsageError("no such command " + Quoted(args[1])), true);
        }
        WriteStandardOutput(HelpText(command->definition));
        return kExitOk;
    }
    const Command *command = FindCommand(first);
    if (command == nullptr) {
        return Fail("vessa", UsageError("unknown command " + Quoted(first)), true);
    }
    std::string prefix = "vessa " + std::string(first);
    SetCommandPrefix(prefix);
    try {
        ParsedArgs parsed = ParseArgs(command->definition, args.subspan(1));
        if (parsed.help_requested) {
            WriteStandardOutput(HelpText(command->definition));
            return kExitOk;
        }
        return command->run(parsed);
    } catch (const UsageError &error) {
        return Fail(prefix, error, true);
    } catch (const ToolError &error) {
        return Fail(prefix, error, false);
    }
}

}  // namespace
}  // namespace vessa_tool

int main(int argc, char **argv) {
    // Past a file size limit, a write fails with EFBIG and the command cleans
    // up and reports it, rather than being killed with its temporary file.
    std::signal(SIGXFSZ, SIG_IGN);
    std::vector<std::string_view> args(argv + 1, argv + argc);
    try {
        return vessa_tool::Main(args);
    } catch (const vessa_tool::ToolError &error) {
        std::fprintf(stderr, "vessa: %s\n", error.what());
        return error.exit_status();
    } catch (const std::exception &error) {
        std::fprintf(stderr, "vessa: %s\n", error.what());
        return vessa_tool::kExitUsage;
    }
}
