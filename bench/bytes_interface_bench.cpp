// Interface 1.1 against 1.0: signing and verifying a 64-byte message as
// bytes and as a NUL-terminated text, and absorbing a message into a
// VessaMessage in 1 MiB pieces against raw SHA3-256 absorption.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "signature/sha3_256.h"
#include "vessa.h"

namespace {

constexpr size_t kMessageSize = 64;
constexpr size_t kPieceSize = size_t{1} << 20;

struct Fixture {
    Fixture() : curve(ecc_new()), text(kMessageSize, 'm') {
        ecc_generate_private(curve, priv, sizeof(priv));
        ecc_generate_public(curve, priv, pub, sizeof(pub));
        sign(curve, priv, text.c_str(), &s, &e);
    }
    const uint8_t *bytes() const { return reinterpret_cast<const uint8_t *>(text.data()); }

    EccCurve *curve;
    std::string text;
    char priv[VESSA_KEY_TEXT_SIZE] = {};
    char pub[VESSA_KEY_TEXT_SIZE] = {};
    int32_t s = 0;
    int32_t e = 0;
};

const Fixture &Keys() {
    static const Fixture fixture;
    return fixture;
}

void Sign64Text(benchmark::State &state) {
    const Fixture &f = Keys();
    int32_t s = 0;
    int32_t e = 0;
    for (auto _ : state) {
        if (sign(f.curve, f.priv, f.text.c_str(), &s, &e) != VESSA_OK) {
            state.SkipWithError("sign failed");
        }
        benchmark::DoNotOptimize(s);
    }
}
BENCHMARK(Sign64Text);

void Sign64Bytes(benchmark::State &state) {
    const Fixture &f = Keys();
    int32_t s = 0;
    int32_t e = 0;
    for (auto _ : state) {
        if (vessa_sign_bytes(f.curve, f.priv, f.bytes(), kMessageSize, &s, &e) != VESSA_OK) {
            state.SkipWithError("vessa_sign_bytes failed");
        }
        benchmark::DoNotOptimize(s);
    }
}
BENCHMARK(Sign64Bytes);

void Verify64Text(benchmark::State &state) {
    const Fixture &f = Keys();
    for (auto _ : state) {
        if (verify(f.curve, f.pub, f.text.c_str(), f.s, f.e) != VESSA_OK) {
            state.SkipWithError("verify failed");
        }
    }
}
BENCHMARK(Verify64Text);

void Verify64Bytes(benchmark::State &state) {
    const Fixture &f = Keys();
    for (auto _ : state) {
        if (vessa_verify_bytes(f.curve, f.pub, f.bytes(), kMessageSize, f.s, f.e) != VESSA_OK) {
            state.SkipWithError("vessa_verify_bytes failed");
        }
    }
}
BENCHMARK(Verify64Bytes);

const std::vector<uint8_t> &Piece() {
    static const std::vector<uint8_t> piece = [] {
        std::vector<uint8_t> bytes(kPieceSize);
        for (size_t i = 0; i < bytes.size(); ++i) {
            bytes[i] = static_cast<uint8_t>(i * 131 + (i >> 9));
        }
        return bytes;
    }();
    return piece;
}

void Stream1MiBPieces(benchmark::State &state) {
    const std::vector<uint8_t> &piece = Piece();
    VessaMessage m;
    vessa_message_init(&m);
    for (auto _ : state) {
        vessa_message_update(&m, piece.data(), piece.size());
        benchmark::DoNotOptimize(m);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(kPieceSize));
}
BENCHMARK(Stream1MiBPieces);

void Sha3Absorb1MiBPieces(benchmark::State &state) {
    const std::vector<uint8_t> &piece = Piece();
    vessa::Sha3_256 hasher;
    for (auto _ : state) {
        hasher.Absorb(piece.data(), piece.size());
        benchmark::DoNotOptimize(hasher);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(kPieceSize));
}
BENCHMARK(Sha3Absorb1MiBPieces);

}  // namespace

BENCHMARK_MAIN();
