// The vessa commands: each has its argument description and a function that
// runs it on the parsed arguments and returns the exit status.
#pragma once

#include <span>

#include "arg_parser.h"

namespace vessa_tool {

struct Command {
    const CommandDefinition &definition;
    int (*run)(const ParsedArgs &args);
};

// Every command, in the order the overview lists them.
std::span<const Command> AllCommands();

const CommandDefinition &KeygenDefinition();
int RunKeygen(const ParsedArgs &args);
const CommandDefinition &PubkeyDefinition();
int RunPubkey(const ParsedArgs &args);
const CommandDefinition &SignDefinition();
int RunSign(const ParsedArgs &args);
const CommandDefinition &VerifyDefinition();
int RunVerify(const ParsedArgs &args);
const CommandDefinition &EncryptDefinition();
int RunEncrypt(const ParsedArgs &args);
const CommandDefinition &DecryptDefinition();
int RunDecrypt(const ParsedArgs &args);
const CommandDefinition &FingerprintDefinition();
int RunFingerprint(const ParsedArgs &args);
const CommandDefinition &BenchDefinition();
int RunBenchCommand(const ParsedArgs &args);
const CommandDefinition &DemoDefinition();
int RunDemo(const ParsedArgs &args);

// --force, shared by the commands that write files.
inline const OptionDefinition kForceOption{"force", "", "replace the output file if it exists", 'f'};

// The value of a required option; throws UsageError naming it when absent.
std::string RequiredValue(const ParsedArgs &args, const CommandDefinition &definition,
                          std::string_view option);

}  // namespace vessa_tool
