// Shared pieces of the fuzz harnesses: invariant checks that stop the run,
// a reader that draws fields from the fuzz input, buffers with canaries, and
// a fixed key pair. Everything goes through the public C interface.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "vessa.h"

namespace vessa_fuzz {

[[noreturn]] inline void Fail(const char *what, const char *file, int line) {
    std::fprintf(stderr, "%s:%d: invariant broken: %s\n", file, line, what);
    std::abort();
}

// An invariant of the library; a broken one aborts, which libFuzzer records
// as a finding and a replaying test reports as a crash.
#define FUZZ_CHECK(cond)                                    \
    do {                                                    \
        if (!(cond)) {                                      \
            ::vessa_fuzz::Fail(#cond, __FILE__, __LINE__);  \
        }                                                   \
    } while (0)

// Draws fixed-size fields from the front of an input; bytes past its end
// read as zero, so every input is usable.
class InputReader {
public:
    InputReader(const uint8_t *data, size_t size) : data_(data), size_(size) {}

    uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }

    int32_t Int32() {
        uint32_t bits = 0;
        for (unsigned i = 0; i < 4; ++i) {
            bits |= static_cast<uint32_t>(Byte()) << (8 * i);
        }
        return static_cast<int32_t>(bits);
    }

    // The bytes up to the next NUL (or the end), consuming the NUL as well.
    std::string TextUpToNul() {
        std::string text;
        while (pos_ < size_ && data_[pos_] != 0) {
            text.push_back(static_cast<char>(data_[pos_++]));
        }
        if (pos_ < size_) {
            ++pos_;
        }
        return text;
    }

    // Everything not yet read, in a vector of exactly that size, so that a
    // read past its end is a heap overflow the address sanitizer reports.
    std::vector<uint8_t> Rest() {
        std::vector<uint8_t> rest(data_ + pos_, data_ + size_);
        pos_ = size_;
        return rest;
    }

private:
    const uint8_t *data_;
    size_t size_;
    size_t pos_ = 0;
};

// A NUL-terminated copy of `text` in a heap block of exactly its size, so
// that reading past the NUL is reported.
inline std::unique_ptr<char[]> ExactCopy(const std::string &text) {
    auto copy = std::make_unique<char[]>(text.size() + 1);
    std::memcpy(copy.get(), text.c_str(), text.size() + 1);
    return copy;
}

// `size` usable bytes followed by a guard zone, all filled with a canary.
// A write beyond the stated bytes shows in the guard; one further out hits
// the end of the heap block.
class GuardedBuffer {
public:
    static constexpr uint8_t kCanary = 0xA5;
    static constexpr size_t kGuard = 16;

    explicit GuardedBuffer(size_t size) : bytes_(size + kGuard, kCanary), size_(size) {}

    uint8_t *data() { return bytes_.data(); }
    const uint8_t *data() const { return bytes_.data(); }
    char *chars() { return reinterpret_cast<char *>(bytes_.data()); }
    size_t size() const { return size_; }
    uint8_t operator[](size_t i) const { return bytes_[i]; }

    // Every byte from `from` to the end of the guard still holds the canary.
    bool UntouchedFrom(size_t from) const {
        return std::all_of(bytes_.begin() + static_cast<std::ptrdiff_t>(from), bytes_.end(),
                           [](uint8_t b) { return b == kCanary; });
    }

private:
    std::vector<uint8_t> bytes_;
    size_t size_;
};

// Out-parameter canaries: values a correct failure leaves in place.
inline constexpr int64_t kCanary64 = 0x5A5A5A5A5A5A5A5A;
inline constexpr int32_t kCanary32 = 0x5A5A5A5A;

// The curve and a key pair of fixed scalars, made once per process.
struct FuzzKeys {
    std::unique_ptr<EccCurve, void (*)(EccCurve *)> curve{nullptr, &ecc_destroy};
    std::string priv;
    std::string pub;
    std::string other_priv;  // a key that does not belong to pub
};

inline std::string PackedPrivate(int64_t d) {
    char buf[VESSA_KEY_TEXT_SIZE];
    FUZZ_CHECK(package_private(d, buf, sizeof(buf)) == VESSA_KEY_TEXT_LEN);
    return buf;
}

inline const FuzzKeys &Keys() {
    static const FuzzKeys keys = [] {
        FuzzKeys k;
        k.curve.reset(ecc_new());
        FUZZ_CHECK(k.curve != nullptr);
        k.priv = PackedPrivate(54321);
        k.other_priv = PackedPrivate(54322);
        char pub[VESSA_KEY_TEXT_SIZE];
        FUZZ_CHECK(ecc_generate_public(k.curve.get(), k.priv.c_str(), pub, sizeof(pub)) ==
                   VESSA_KEY_TEXT_LEN);
        k.pub = pub;
        return k;
    }();
    return keys;
}

// `text` with one character replaced by a byte outside base64: always
// malformed.
inline std::string Corrupted(std::string text, uint8_t where) {
    text[where % text.size()] = '!';
    return text;
}

inline int64_t SignExtend32(const uint8_t *bytes) {
    uint32_t bits = 0;
    for (unsigned i = 0; i < 4; ++i) {
        bits |= static_cast<uint32_t>(bytes[i]) << (8 * i);
    }
    return static_cast<int32_t>(bits);
}

// Entry i of a string ciphertext, read as the record it stands for.
inline EccCiphertext EntryAt(const uint8_t *ciphertext, size_t i) {
    const uint8_t *entry = ciphertext + i * VESSA_CIPHERTEXT_ENTRY_SIZE;
    return EccCiphertext{{SignExtend32(entry), SignExtend32(entry + 4)}, SignExtend32(entry + 8)};
}

}  // namespace vessa_fuzz
