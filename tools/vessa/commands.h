// The vessa commands: each has its argument description and a function that
// runs it on the parsed arguments and returns the exit status.
#pragma once

#include <span>

#include "arg_parser.h"

namespace vessa_tool {

struct Command {
    const CommandSpec &definition;
    int (*run)(const ParsedArgs &args);
};

// Every command, in the order the overview lists them.
std::span<const Command> AllCommands();

const CommandSpec &KeygenSpec();
int RunKeygen(const ParsedArgs &args);
const CommandSpec &PubkeySpec();
int RunPubkey(const ParsedArgs &args);
const CommandSpec &SignSpec();
int RunSign(const ParsedArgs &args);
const CommandSpec &VerifySpec();
int RunVerify(const ParsedArgs &args);
const CommandSpec &EncryptSpec();
int RunEncrypt(const ParsedArgs &args);
const CommandSpec &DecryptSpec();
int RunDecrypt(const ParsedArgs &args);
const CommandSpec &FingerprintSpec();
int RunFingerprint(const ParsedArgs &args);
const CommandSpec &BenchSpec();
int RunBenchCommand(const ParsedArgs &args);
const CommandSpec &DemoSpec();
int RunDemo(const ParsedArgs &args);

// --force, shared by the commands that write files.
inline const OptionSpec kForceOption{"force", "", "replace the output file if it exists", 'f'};

// The value of a required option; throws UsageError naming it when absent.
std::string RequiredValue(const ParsedArgs &args, const CommandSpec &definition,
                          std::string_view option);

}  // namespace vessa_tool
