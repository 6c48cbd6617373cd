// Replays the seeds of the tool readers' fuzz harness and every input it ever
// found through the same invariant checks; the readers are the tool's code,
// so this test links the tool's parts rather than libvessa.so.
#include <gtest/gtest.h>

#include "../../fuzz/regression_inputs.h"
#include "../../fuzz/seed_inputs.h"
#include "../../fuzz/tool_reader_checks.h"

namespace {

TEST(FuzzReplay, ToolReaderSeedsAndFoundInputsKeepTheInvariants) {
    auto inputs = vessa_fuzz::AllSeeds().at("tool_readers");
    const auto found = vessa_fuzz::RegressionInputs("tool_readers");
    inputs.insert(inputs.end(), found.begin(), found.end());
    for (const auto &input : inputs) {
        vessa_fuzz::CheckToolReaderInput(input.data(), input.size());  // a broken invariant aborts
    }
}

}  // namespace
