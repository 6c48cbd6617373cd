// vessa bench: wires the command line to the arithmetic benchmark, when the
// tool is built with it.
#include <charconv>
#include <cstdio>

#include "commands.h"
#include "tool_error.h"

#if __has_include("bench_command.h")
#include "bench_command.h"
#define VESSA_TOOL_HAS_BENCH 1
#endif

namespace vessa_tool {

const CommandSpec &BenchSpec() {
    static const CommandSpec spec{
        "bench",
        "Time the curve arithmetic and the main operations.",
        "[--iterations N] [--quick]",
        "Runs each measured operation N times (a default count without --iterations)\n"
        "and prints the time per call. --quick runs a short pass.",
        {{"iterations", "N", "calls per measured operation (a positive integer)"},
         {"quick", "", "a short run with few iterations"}},
    };
    return spec;
}

int RunBenchCommand(const ParsedArgs &args) {
#ifdef VESSA_TOOL_HAS_BENCH
    BenchOptions options;
    options.quick = args.Has("quick");
    if (std::optional<std::string> text = args.Value("iterations")) {
        const char *end = text->data() + text->size();
        auto [ptr, ec] = std::from_chars(text->data(), end, options.iterations);
        if (ec != std::errc() || ptr != end || options.iterations <= 0) {
            throw UsageError("--iterations needs a positive integer, not '" + *text + "'");
        }
    }
    return RunBench(options, stdout);
#else
    (void)args;
    throw ToolError("bench is not available in this build");
#endif
}

}  // namespace vessa_tool
