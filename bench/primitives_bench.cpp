// Times the pieces a signature spends most of its time in outside the curve
// arithmetic: one SHA3-256 of a short message, the reading of a key text (in
// each form of the reader), and the clearing of the stack below each
// secret-handling call.
#include <benchmark/benchmark.h>

#include <array>
#include <cstdint>

#include "keytext/key_text.h"
#include "signature/keccak_f1600.h"
#include "signature/sha3_256.h"
#include "support/stack_wipe.h"
#include "vessa.h"

namespace {

void Sha3ShortMessage(benchmark::State &state) {
    // About the size a signature hashes: a short message and the nonce point.
    std::array<uint8_t, 68> message{};
    for (size_t i = 0; i < message.size(); ++i) {
        message[i] = static_cast<uint8_t>(i * 7 + 3);
    }
    for (auto _ : state) {
        vessa::Sha3_256 hasher;
        hasher.Absorb(message.data(), message.size());
        auto digest = hasher.Finish();
        benchmark::DoNotOptimize(digest);
        benchmark::DoNotOptimize(message);
    }
}
BENCHMARK(Sha3ShortMessage);

void Sha3LongMessage(benchmark::State &state) {
    std::array<uint8_t, 4096> message{};
    for (auto _ : state) {
        vessa::Sha3_256 hasher;
        hasher.Absorb(message.data(), message.size());
        auto digest = hasher.Finish();
        benchmark::DoNotOptimize(digest);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(message.size()));
}
BENCHMARK(Sha3LongMessage);

// One permutation in each form the processor has, each run on the result of
// the last.
void KeccakF1600Form(benchmark::State &state, vessa::VectorLevel level) {
    if (static_cast<int>(level) > static_cast<int>(vessa::SupportedVectorLevel())) {
        state.SkipWithError("not supported here");
        return;
    }
    vessa::KeccakLanes lanes{};
    for (auto _ : state) {
        vessa::KeccakF1600(lanes, level);
        benchmark::DoNotOptimize(lanes);
    }
}
BENCHMARK_CAPTURE(KeccakF1600Form, portable, vessa::VectorLevel::kPortable);
BENCHMARK_CAPTURE(KeccakF1600Form, avx2, vessa::VectorLevel::kAvx2);
BENCHMARK_CAPTURE(KeccakF1600Form, avx512, vessa::VectorLevel::kAvx512);

void ResolvePrivate(benchmark::State &state) {
    char text[VESSA_KEY_TEXT_SIZE] = {};
    if (package_private(123456789, text, sizeof text) < 0) {
        state.SkipWithError("package_private failed");
        return;
    }
    for (auto _ : state) {
        int64_t d = 0;
        benchmark::DoNotOptimize(resolve_private(text, &d));
        benchmark::DoNotOptimize(d);
    }
}
BENCHMARK(ResolvePrivate);

void ReadKeyTextOnly(benchmark::State &state) {
    char text[VESSA_KEY_TEXT_SIZE] = {};
    if (package_public(EccPoint{5, 7}, text, sizeof text) < 0) {
        state.SkipWithError("package_public failed");
        return;
    }
    for (auto _ : state) {
        vessa::KeyBlock block;
        benchmark::DoNotOptimize(vessa::ReadKeyText(text, block));
        benchmark::DoNotOptimize(block);
    }
}
BENCHMARK(ReadKeyTextOnly);

// The key bytes alone, as the unpacking reads them, in each form of the
// reader the processor has.
void ReadKeyWindow(benchmark::State &state, vessa::KeyTextForm form) {
    if (form > vessa::SupportedKeyTextForm()) {
        state.SkipWithError("not on this processor");
        return;
    }
    char text[VESSA_KEY_TEXT_SIZE] = {};
    if (package_public(EccPoint{5, 7}, text, sizeof text) < 0) {
        state.SkipWithError("package_public failed");
        return;
    }
    for (auto _ : state) {
        vessa::KeyWindow window;
        benchmark::DoNotOptimize(vessa::ReadKeyWindow(text, window, form));
        benchmark::DoNotOptimize(window);
    }
}
BENCHMARK_CAPTURE(ReadKeyWindow, portable, vessa::KeyTextForm::kPortable);
BENCHMARK_CAPTURE(ReadKeyWindow, avx2, vessa::KeyTextForm::kAvx2);
BENCHMARK_CAPTURE(ReadKeyWindow, avx512, vessa::KeyTextForm::kAvx512);
BENCHMARK_CAPTURE(ReadKeyWindow, avx512_vbmi, vessa::KeyTextForm::kAvx512Vbmi);

void StackWipe(benchmark::State &state, void (*wipe)() noexcept, std::size_t bytes) {
    for (auto _ : state) {
        wipe();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes));
}
BENCHMARK_CAPTURE(StackWipe, chosen, &vessa::WipeStackBelow, vessa::kStackWipeBytes);
BENCHMARK_CAPTURE(StackWipe, secret_call, &vessa::WipeSecretCallStack,
                  vessa::kSecretCallWipeBytes);
BENCHMARK_CAPTURE(StackWipe, portable, &vessa::WipeStackBelowPortable<vessa::kStackWipeBytes>,
                  vessa::kStackWipeBytes);

}  // namespace
BENCHMARK_MAIN();
