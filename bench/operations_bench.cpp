// Every measured operation twice, with the fast and with the reference
// arithmetic, followed by a table of their ratios; and signing from one and
// two threads with one shared curve.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "bench_command.h"
#include "curve/dispatch/arithmetic_mode.h"

namespace {

using vessa_tool::BenchOperation;
using vessa_tool::BenchWorkload;

const BenchWorkload &Workload() {
    static const BenchWorkload workload;
    return workload;
}

void RunOperation(benchmark::State &state, const BenchOperation *op, bool reference) {
    if (reference) {
        const vessa::ScopedReferenceArithmetic forced;
        for (auto _ : state) {
            op->call();
        }
    } else {
        for (auto _ : state) {
            op->call();
        }
    }
}

void SignThreads(benchmark::State &state) {
    for (auto _ : state) {
        Workload().SignOnce();
    }
    state.SetItemsProcessed(state.iterations());
}

// Prints the usual console report, then fast against reference per
// operation and the two-thread signing throughput against one thread.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run> &runs) override {
        for (const Run &run : runs) {
            if (run.run_type == Run::RT_Iteration && run.iterations > 0) {
                times_[run.run_name.function_name] = run.GetAdjustedRealTime();
                if (run.counters.count("items_per_second") != 0) {
                    rates_[run.threads] = run.counters.at("items_per_second");
                }
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void Finalize() override {
        ConsoleReporter::Finalize();
        std::printf("\n%-32s %14s %16s %10s\n", "operation", "fast us", "reference us", "ratio");
        for (const BenchOperation &op : Workload().operations()) {
            const auto fast = times_.find(op.name + "/fast");
            const auto reference = times_.find(op.name + "/reference");
            if (fast == times_.end() || reference == times_.end()) {
                continue;
            }
            std::printf("%-32s %14.3f %16.1f %9.0fx\n", op.name.c_str(), fast->second,
                        reference->second, reference->second / fast->second);
        }
        if (rates_.count(1) != 0 && rates_.count(2) != 0) {
            std::printf("sign, two threads against one: %.2fx the throughput\n",
                        rates_[2] / rates_[1]);
        }
    }

private:
    std::map<std::string, double> times_;  // microseconds per call
    std::map<int64_t, double> rates_;          // signatures per second by thread count
};

}  // namespace

int main(int argc, char **argv) {
    benchmark::Initialize(&argc, argv);
    if (!Workload().ok() || !Workload().ArithmeticsAgree()) {
        std::fprintf(stderr, "could not set up the benchmark workload\n");
        return 1;
    }
    for (const BenchOperation &op : Workload().operations()) {
        benchmark::RegisterBenchmark((op.name + "/fast").c_str(), RunOperation, &op, false)
            ->Unit(benchmark::kMicrosecond);
        if (op.reference_calls == 0) {
            continue;  // seconds per call with the literal chain
        }
        // The literal chain is slow: a fixed, small number of calls.
        benchmark::RegisterBenchmark((op.name + "/reference").c_str(), RunOperation, &op, true)
            ->Unit(benchmark::kMicrosecond)
            ->Iterations(op.reference_calls);
    }
    benchmark::RegisterBenchmark("sign/threads", SignThreads)
        ->Threads(1)
        ->Threads(2)
        ->UseRealTime()
        ->Unit(benchmark::kMicrosecond);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
