// vessa bench: the command line of the arithmetic benchmark.
#include <charconv>
#include <cstdio>

#include "bench_command.h"
#include "commands.h"
#include "display_name.h"
#include "tool_error.h"

namespace vessa_tool {

const CommandDefinition &BenchDefinition() {
    static const CommandDefinition definition{
        "bench",
        "Time the main operations with the fast and the reference arithmetic.",
        "[--iterations N] [--quick]",
        "Prints, per operation, the median time per call with the fast arithmetic and\n"
        "with the reference arithmetic (the literal chain of additions) and their\n"
        "ratio, then how two threads signing with one curve compare with one. Each\n"
        "operation runs N times with the fast arithmetic (a default count without\n"
        "--iterations); --quick makes a short run. Exit status 1 when the two\n"
        "arithmetics disagree.",
        {{"iterations", "N", "calls per measured operation (a positive integer)"},
         {"quick", "", "a short run with few iterations"}},
    };
    return definition;
}

int RunBenchCommand(const ParsedArgs &args) {
    BenchOptions options;
    options.quick = args.Has("quick");
    if (std::optional<std::string> text = args.Value("iterations")) {
        const char *end = text->data() + text->size();
        auto [ptr, ec] = std::from_chars(text->data(), end, options.iterations);
        if (ec != std::errc() || ptr != end || options.iterations <= 0) {
            throw UsageError("--iterations needs a positive integer, not " + Quoted(*text));
        }
    }
    return RunBench(options, stdout);
}

}  // namespace vessa_tool
