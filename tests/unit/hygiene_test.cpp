// Secrets do not outlive the call or thread that needs them. The operations
// run on a thread whose stack we supply, so that once it has ended its whole
// stack, its dead frames and its thread-local storage (which the C library
// places at the top of a supplied stack) can be searched for what it held:
// the generator's key and keystream, and a private key in any of its
// intermediate forms.
#include <gtest/gtest.h>
#include <pthread.h>
#include <sys/mman.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <functional>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "curve/literal/point_arith.h"
#include "encryption/string_ciphertext.h"
#include "keytext/key_text.h"
#include "random/chacha20.h"
#include "random/os_entropy.h"
#include "random/thread_rng.h"
#include "support/stack_wipe.h"
#include "vessa.h"

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#include <sanitizer/asan_interface.h>
#define VESSA_TEST_ASAN 1
#endif
#endif

namespace vessa {
namespace {

constexpr size_t kStackSize = size_t{4} << 20;  // room for sanitizer frames too

// The memory a finished thread ran on.
class OwnStackThread {
public:
    explicit OwnStackThread(std::function<void()> body) : body_(std::move(body)) {
        void *mem = ::mmap(nullptr, kStackSize, PROT_READ | PROT_WRITE,
                           MAP_PRIVATE | MAP_ANONYMOUS | MAP_STACK, -1, 0);
        EXPECT_NE(mem, MAP_FAILED);
        stack_ = static_cast<unsigned char *>(mem);
        pthread_attr_t attr;
        pthread_attr_init(&attr);
        pthread_attr_setstack(&attr, stack_, kStackSize);
        pthread_t thread;
        EXPECT_EQ(pthread_create(&thread, &attr, &Start, this), 0);
        pthread_join(thread, nullptr);
        pthread_attr_destroy(&attr);
#ifdef VESSA_TEST_ASAN
        __asan_unpoison_memory_region(stack_, kStackSize);
#endif
        // The fresh mapping was all zeros: only what the thread touched can
        // hold anything.
        used_ = std::find_if(stack_, stack_ + kStackSize, [](unsigned char b) { return b != 0; });
    }
    ~OwnStackThread() { ::munmap(stack_, kStackSize); }
    OwnStackThread(const OwnStackThread &) = delete;
    OwnStackThread &operator=(const OwnStackThread &) = delete;

    // Where in the thread's memory some `window` consecutive bytes of
    // `secret` lie, counted from the top of the stack; -1 when nowhere.
    long Find(const void *secret, size_t size, size_t window) const {
        const auto *s = static_cast<const unsigned char *>(secret);
        for (size_t i = 0; i + window <= size; ++i) {
            const unsigned char *end = stack_ + kStackSize;
            const auto *hit = std::search(used_, end, s + i, s + i + window);
            if (hit != end) {
                return static_cast<long>(end - hit);
            }
        }
        return -1;
    }
    long Find(const std::string &secret) const { return Find(secret.data(), secret.size(), secret.size()); }

private:
    static void *Start(void *self) {
        static_cast<OwnStackThread *>(self)->body_();
        return nullptr;
    }
    std::function<void()> body_;
    unsigned char *stack_ = nullptr;
    const unsigned char *used_ = nullptr;
};

// A generator key everyone can recognise, handed out by a stand-in for the
// kernel.
constexpr std::array<uint8_t, 32> kKeyBytes = {
    0x3c, 0x91, 0x5e, 0xa7, 0x0d, 0xf2, 0x68, 0xb4, 0x17, 0xc9, 0x83, 0x2a, 0xe6, 0x4f, 0x75, 0x9b,
    0xd0, 0x36, 0xab, 0x58, 0x1e, 0xc4, 0x79, 0xe3, 0x42, 0x8d, 0xbf, 0x06, 0x6a, 0xf7, 0x21, 0x95};

long KnownKeyGetrandom(void *buf, size_t len, unsigned) {
    auto *out = static_cast<uint8_t *>(buf);
    for (size_t i = 0; i < len; ++i) {
        out[i] = kKeyBytes[i % kKeyBytes.size()];
    }
    return static_cast<long>(len);
}

ChaChaKey KnownKey() {
    ChaChaKey key{};
    std::memcpy(key.data(), kKeyBytes.data(), sizeof(key));
    return key;
}

// The first blocks of the keystream a generator under the known key hands
// out (it re-keys to the same key, so the stream restarts from these).
std::vector<ChaChaBlock> KnownKeystream(uint32_t blocks) {
    std::vector<ChaChaBlock> stream(blocks);
    for (uint32_t c = 0; c < blocks; ++c) {
        ChaCha20Block(KnownKey(), c, ChaChaNonce{0, 0, 0}, stream[c]);
    }
    return stream;
}

// Any 16 bytes in a row of the key, or of one keystream block: more than a
// spilled register or a single drawn value could account for.
constexpr size_t kWindow = 16;

bool HoldsGeneratorSecrets(const OwnStackThread &thread) {
    if (const long at = thread.Find(kKeyBytes.data(), kKeyBytes.size(), kWindow); at >= 0) {
        ADD_FAILURE() << "the generator key is still in the thread's memory, " << at
                      << " bytes below the top";
        return true;
    }
    for (const ChaChaBlock &block : KnownKeystream(256)) {
        if (const long at = thread.Find(block.data(), sizeof(block), kWindow); at >= 0) {
            ADD_FAILURE() << "keystream is still in the thread's memory, " << at
                          << " bytes below the top";
            return true;
        }
    }
    return false;
}

constexpr int64_t kSecretScalar = 0x1b2d3c4e5f607182;

// Everything that stands for kSecretScalar inside a packing or unpacking:
// the block bytes around it (the filler as `text` has it), the hexadecimal
// digits of the scalar, and pieces of the text itself. A caller's own copy of
// the scalar, or of both coordinates side by side, matches none of them.
std::vector<std::string> ScalarForms(const std::string &text) {
    KeyBlock block;
    EXPECT_TRUE(ReadKeyText(text.c_str(), block));
    EXPECT_EQ(LoadInt64(block, kFirstKeyOffset), kSecretScalar);
    const auto *bytes = reinterpret_cast<const char *>(block.bytes.data());
    const std::string around(bytes + kFirstKeyOffset - 4, 20);
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    for (size_t i = kFirstKeyOffset; i < kSecondKeyOffset; ++i) {
        hex += digits[block.bytes[i] >> 4];
        hex += digits[block.bytes[i] & 15];
    }
    return {around, hex, text.substr(0, 32), text.substr(160, 32)};
}

class SecretHygiene : public ::testing::Test {
protected:
    void SetUp() override { SetGetrandomForTesting(&KnownKeyGetrandom); }
    void TearDown() override { SetGetrandomForTesting(nullptr); }
};

// The search itself must work, or the tests below prove nothing: memory
// that is deliberately left unwiped is found.
TEST_F(SecretHygiene, TheSearchFindsSecretsLeftBehind) {
    std::string text;
    OwnStackThread thread([&] {
        volatile uint8_t key[32];  // a generator key left unwiped
        for (size_t i = 0; i < sizeof(key); ++i) key[i] = kKeyBytes[i];
        char buf[VESSA_KEY_TEXT_SIZE];
        package_private(kSecretScalar, buf, sizeof(buf));
        text = buf;
        // A careless caller's copy, deep enough that the thread's exit does
        // not run over it.
        volatile char copy[4096];
        for (size_t i = 0; i < sizeof(buf); ++i) copy[i] = buf[i];
        __asm__ __volatile__("" : : "r"(key), "r"(copy) : "memory");
    });
    EXPECT_GE(thread.Find(kKeyBytes.data(), kKeyBytes.size(), kWindow), 0);
    EXPECT_GE(thread.Find(text.substr(0, 32)), 0);
}

TEST_F(SecretHygiene, GeneratorKeyAndKeystreamDieWithTheThread) {
    const auto body = [] {
        auto rng = thread_rng();
        for (int i = 0; i < 5000; ++i) {
            rng.NextU32();  // several blocks, the last one partly used
        }
    };
    { OwnStackThread warm_up(body); }  // binds the functions first, as below
    OwnStackThread thread(body);
    EXPECT_FALSE(HoldsGeneratorSecrets(thread));
}

// Each operation that reads or writes a private key text runs alone on its
// own thread, so that nothing after it overwrites what it may have left.
struct KeyOperation {
    const char *name;
    void (*run)(const EccCurve *curve, const char *priv, std::string &packed);
};

constexpr KeyOperation kKeyOperations[] = {
    {"package_private",
     [](const EccCurve *, const char *, std::string &packed) {
         std::vector<char> buf(VESSA_KEY_TEXT_SIZE);
         EXPECT_EQ(package_private(kSecretScalar, buf.data(), VESSA_KEY_TEXT_SIZE),
                   VESSA_KEY_TEXT_LEN);
         packed = buf.data();
     }},
    {"resolve_private",
     [](const EccCurve *, const char *priv, std::string &) {
         int64_t d = 0;
         EXPECT_EQ(resolve_private(priv, &d), 0);
         EXPECT_EQ(d, kSecretScalar);
     }},
    {"resolve_public",
     [](const EccCurve *, const char *priv, std::string &) {
         int64_t x = 0;
         int64_t y = 0;
         EXPECT_EQ(resolve_public(priv, &x, &y), 0);
     }},
    {"ecc_generate_public",
     [](const EccCurve *curve, const char *priv, std::string &) {
         std::vector<char> buf(VESSA_KEY_TEXT_SIZE);
         EXPECT_EQ(ecc_generate_public(curve, priv, buf.data(), VESSA_KEY_TEXT_SIZE),
                   VESSA_KEY_TEXT_LEN);
     }},
    {"sign",
     [](const EccCurve *curve, const char *priv, std::string &) {
         int32_t s = 0;
         int32_t e = 0;
         EXPECT_EQ(sign(curve, priv, "message", &s, &e), 0);
     }},
    {"decrypt_to_string",
     [](const EccCurve *curve, const char *priv, std::string &) {
         const uint8_t entry[12] = {0x39, 0x0a, 0, 0, 0xb8, 0x14, 0, 0, 77, 0, 0, 0};
         char out[2];
         EXPECT_EQ(decrypt_to_string(curve, priv, entry, 12, out, 2), 1);
     }},
};

void PrintTo(const KeyOperation &op, std::ostream *os) { *os << op.name; }

class KeyScratchHygiene : public SecretHygiene,
                          public ::testing::WithParamInterface<KeyOperation> {};

TEST_P(KeyScratchHygiene, NoFormOfThePrivateKeyOutlivesTheCall) {
    EccCurve *curve = ecc_new();
    ASSERT_NE(curve, nullptr);
    char priv[VESSA_KEY_TEXT_SIZE];
    ASSERT_EQ(package_private(kSecretScalar, priv, sizeof(priv)), VESSA_KEY_TEXT_LEN);
    const KeyOperation op = GetParam();
    std::string packed;
    const auto body = [&] { op.run(curve, priv, packed); };
    // A first run binds every function the body calls. Binding a function on
    // its first call saves the vector registers on the stack, and those may
    // still hold key bytes from the last computation: a residue of
    // registers, not of the library's buffers, and out of reach of a wipe.
    { OwnStackThread warm_up(body); }
    OwnStackThread thread(body);
    ecc_destroy(curve);
    // The texts are in our own memory; no form of them may remain on the
    // thread.
    for (const std::string &text : {std::string(priv), packed}) {
        if (text.empty()) {
            continue;
        }
        const std::vector<std::string> forms = ScalarForms(text);
        for (size_t i = 0; i < forms.size(); ++i) {
            EXPECT_EQ(thread.Find(forms[i]), -1) << "form " << i << " of the private key is left";
        }
    }
    EXPECT_FALSE(HoldsGeneratorSecrets(thread));
}

INSTANTIATE_TEST_SUITE_P(Operations, KeyScratchHygiene, ::testing::ValuesIn(kKeyOperations),
                         [](const auto &param_info) { return std::string(param_info.param.name); });

}  // namespace
}  // namespace vessa

// ---- Dead stack below an exported call ------------------------------------
// The issue with wiping locals: the compiler spills a nonce or a scalar into
// the frames of the functions it calls, and those frames stay behind, dead
// but readable, when the call returns. Here the stack below the caller is
// zeroed, one exported call runs, and the dead region below is copied before
// anything else runs there; then it is searched for the call's secrets.

namespace vessa {
namespace {

constexpr size_t kDeadStackBytes = 32 * 1024;

// Zeroes the stack below the caller's frame, so that whatever the next call
// leaves there is that call's own.
[[gnu::noinline]] void ClearStackBelow() {
    volatile unsigned char pad[kDeadStackBytes + 4096];
    for (size_t i = 0; i < sizeof(pad); ++i) pad[i] = 0;
    __asm__ __volatile__("" : : "r"(pad) : "memory");
}

// Fills the stack below the caller's frame with `byte`.
[[gnu::noinline]] void FillStackBelow(unsigned char byte) {
    volatile unsigned char pad[kDeadStackBytes / 2];
    for (size_t i = 0; i < sizeof(pad); ++i) pad[i] = byte;
    __asm__ __volatile__("" : : "r"(pad) : "memory");
}

// Runs `op`, then copies the kDeadStackBytes below this frame into `dead`
// without calling anything; the last byte of `dead` lies just below the frame.
[[gnu::noinline]] void RunAndCaptureDeadStack(void (*op)(void *), void *context,
                                              unsigned char *dead) {
    // Called through a volatile pointer, so that `op` cannot be inlined here.
    void (*volatile call)(void *) = op;
    unsigned char top = 0;
    uintptr_t here = 0;
    // The address as a plain number: the bytes below belong to no object.
    __asm__ __volatile__("" : "=r"(here) : "0"(reinterpret_cast<uintptr_t>(&top)) : "memory");
    call(context);
    for (size_t i = 0; i < kDeadStackBytes; ++i) {
        dead[i] = *reinterpret_cast<const volatile unsigned char *>(here - kDeadStackBytes + i);
    }
}

[[gnu::noinline]] void ClearThenCapture(void (*op)(void *), void *context, unsigned char *dead) {
    ClearStackBelow();
    RunAndCaptureDeadStack(op, context, dead);
}

// How many places of `dead` hold `value` as 4 little-endian bytes (a 32-bit
// spill, or the low half of a 64-bit one), at any offset.
size_t Occurrences(const std::vector<unsigned char> &dead, int64_t value) {
    unsigned char pattern[4];
    for (int i = 0; i < 4; ++i) pattern[i] = static_cast<unsigned char>(value >> (8 * i));
    size_t hits = 0;
    for (auto at = dead.begin(); (at = std::search(at, dead.end(), pattern, pattern + 4)) != dead.end(); ++at) {
        ++hits;
    }
    return hits;
}

// How far below the capturing frame the deepest non-zero byte of `dead` lies.
size_t DeepestResidue(const std::vector<unsigned char> &dead) {
    const auto first = std::find_if(dead.begin(), dead.end(), [](unsigned char b) { return b != 0; });
    return static_cast<size_t>(dead.end() - first);
}

// k with k*G == r, by walking the literal chain of additions once.
int64_t DiscreteLog(const EccCurve &curve, EccPoint r) {
    static const std::map<std::pair<int64_t, int64_t>, int64_t> table = [&curve] {
        std::map<std::pair<int64_t, int64_t>, int64_t> t;
        EccPoint p = curve.g;
        for (int64_t k = 1; k < curve.n; ++k) {
            t.emplace(std::make_pair(p.x, p.y), k);
            p = PointAdd(curve, p, curve.g);
        }
        return t;
    }();
    const auto it = table.find({r.x, r.y});
    return it == table.end() ? -1 : it->second;
}

int64_t ModN(int64_t v, int64_t n) { return ((v % n) + n) % n; }

constexpr int64_t kD = 77613;  // the private scalar of these calls

struct DeadStackCall {
    const EccCurve *curve;
    const char *priv;
    const char *pub;
    std::vector<int64_t> secrets;  // d, then any k; found after the call from its results
    int64_t resolved;              // where resolve_private puts d, outside the searched results
    union {
        struct { int32_t s, e; } signature;
        EccCiphertext ciphertext;
        uint8_t entries[3 * VESSA_CIPHERTEXT_ENTRY_SIZE];
        char text[VESSA_KEY_TEXT_SIZE];
    } out;
    EccCiphertext input{};
    uint8_t input_entries[3 * VESSA_CIPHERTEXT_ENTRY_SIZE];
};

// One exported call that handles a private scalar, a nonce or an encryption
// scalar, and how its secrets follow from its results.
struct SecretCall {
    const char *name;
    void (*run)(void *);
    void (*secrets)(DeadStackCall &);
};

DeadStackCall &Call(void *c) { return *static_cast<DeadStackCall *>(c); }

void KsOfEntries(DeadStackCall &c, const uint8_t *entries) {
    for (size_t i = 0; i < 3; ++i) {
        const EccCiphertext ct = LoadEntry(entries + i * VESSA_CIPHERTEXT_ENTRY_SIZE);
        c.secrets.push_back(DiscreteLog(*c.curve, ct.point));
    }
}

const SecretCall kSecretCalls[] = {
    {"resolve_private", [](void *c) { (void)resolve_private(Call(c).priv, &Call(c).resolved); },
     [](DeadStackCall &c) {
         EXPECT_EQ(c.resolved, kD);
         c.secrets = {kD};
     }},
    {"sign", [](void *c) { (void)sign(Call(c).curve, Call(c).priv, "m", &Call(c).out.signature.s, &Call(c).out.signature.e); },
     [](DeadStackCall &c) {
         // s = k - e*d modulo n, lifted: k follows from the public signature.
         const int64_t n = c.curve->n;
         c.secrets = {kD, ModN(c.out.signature.s + ModN(c.out.signature.e, n) * kD, n)};
     }},
    {"encrypt", [](void *c) { (void)encrypt(Call(c).curve, Call(c).pub, 77, &Call(c).out.ciphertext); },
     [](DeadStackCall &c) { c.secrets = {kD, DiscreteLog(*c.curve, c.out.ciphertext.point)}; }},
    {"encrypt_string",
     [](void *c) { (void)encrypt_string(Call(c).curve, Call(c).pub, "abc", Call(c).out.entries, sizeof(Call(c).out.entries)); },
     [](DeadStackCall &c) {
         c.secrets = {kD};
         KsOfEntries(c, c.out.entries);
     }},
    {"decrypt",
     [](void *c) {
         uint8_t value = 0;
         (void)decrypt(Call(c).curve, Call(c).priv, &value, Call(c).input);
     },
     [](DeadStackCall &c) { c.secrets = {kD, DiscreteLog(*c.curve, c.input.point)}; }},
    {"decrypt_to_string",
     [](void *c) { (void)decrypt_to_string(Call(c).curve, Call(c).priv, Call(c).input_entries, 3 * VESSA_CIPHERTEXT_ENTRY_SIZE, Call(c).out.text, 4); },
     [](DeadStackCall &c) {
         c.secrets = {kD};
         KsOfEntries(c, c.input_entries);
     }},
    {"package_private",
     [](void *c) { (void)package_private(kD, Call(c).out.text, VESSA_KEY_TEXT_SIZE); },
     [](DeadStackCall &c) { c.secrets = {kD}; }},
    {"ecc_generate_private",
     [](void *c) { (void)ecc_generate_private(Call(c).curve, Call(c).out.text, VESSA_KEY_TEXT_SIZE); },
     [](DeadStackCall &c) {
         int64_t d = 0;
         EXPECT_EQ(resolve_private(c.out.text, &d), 0);
         c.secrets = {d};
     }},
    {"ecc_generate_public",
     [](void *c) { (void)ecc_generate_public(Call(c).curve, Call(c).priv, Call(c).out.text, VESSA_KEY_TEXT_SIZE); },
     [](DeadStackCall &c) { c.secrets = {kD}; }},
    {"vessa_sign_bytes",
     [](void *c) {
         const uint8_t msg[] = {'m', 0, 'n'};
         (void)vessa_sign_bytes(Call(c).curve, Call(c).priv, msg, sizeof(msg), &Call(c).out.signature.s, &Call(c).out.signature.e);
     },
     [](DeadStackCall &c) {
         const int64_t n = c.curve->n;
         c.secrets = {kD, ModN(c.out.signature.s + ModN(c.out.signature.e, n) * kD, n)};
     }},
    {"vessa_sign_message",
     [](void *c) {
         VessaMessage m;
         vessa_message_init(&m);
         vessa_message_update(&m, "m", 1);
         (void)vessa_sign_message(Call(c).curve, Call(c).priv, &m, &Call(c).out.signature.s, &Call(c).out.signature.e);
     },
     [](DeadStackCall &c) {
         const int64_t n = c.curve->n;
         c.secrets = {kD, ModN(c.out.signature.s + ModN(c.out.signature.e, n) * kD, n)};
     }},
    {"vessa_encrypt_bytes",
     [](void *c) {
         const uint8_t plain[3] = {0, 1, 2};
         (void)vessa_encrypt_bytes(Call(c).curve, Call(c).pub, plain, 3, Call(c).out.entries, sizeof(Call(c).out.entries));
     },
     [](DeadStackCall &c) {
         c.secrets = {kD};
         KsOfEntries(c, c.out.entries);
     }},
    {"vessa_decrypt_bytes",
     [](void *c) { (void)vessa_decrypt_bytes(Call(c).curve, Call(c).priv, Call(c).input_entries, 3 * VESSA_CIPHERTEXT_ENTRY_SIZE, reinterpret_cast<uint8_t *>(Call(c).out.text), 3); },
     [](DeadStackCall &c) {
         c.secrets = {kD};
         KsOfEntries(c, c.input_entries);
     }},
};

void PrintTo(const SecretCall &call, std::ostream *os) { *os << call.name; }

// Whether finding `secret` would mean anything: values below 2^12 look like
// any count or length, and a secret that happens to equal a public value of
// the call (a coordinate, a signature half) is found wherever that is.
bool Searchable(const DeadStackCall &c, int64_t secret) {
    if (secret < 4096) return false;
    const auto holds = [secret](const void *data, size_t size) {
        const auto *bytes = static_cast<const unsigned char *>(data);
        for (size_t i = 0; i + 4 <= size; i += 4) {
            uint32_t word = 0;
            std::memcpy(&word, bytes + i, 4);
            if (word == static_cast<uint32_t>(secret)) return true;
        }
        return false;
    };
    return !holds(&c.out, sizeof(c.out)) && !holds(&c.input, sizeof(c.input)) &&
           !holds(c.input_entries, sizeof(c.input_entries));
}

class DeadStack : public ::testing::TestWithParam<SecretCall> {
protected:
    void SetUp() override {
#if defined(VESSA_TEST_ASAN) || defined(__SANITIZE_ADDRESS__)
        GTEST_SKIP() << "the address sanitizer moves frames off the stack";
#endif
        curve_ = ecc_new();
        ASSERT_NE(curve_, nullptr);
        ASSERT_EQ(package_private(kD, priv_, sizeof(priv_)), VESSA_KEY_TEXT_LEN);
        ASSERT_EQ(ecc_generate_public(curve_, priv_, pub_, sizeof(pub_)), VESSA_KEY_TEXT_LEN);
        DiscreteLog(*curve_, curve_->g);  // builds the table outside any capture
    }
    void TearDown() override { ecc_destroy(curve_); }

    // A call's context with fresh inputs for the decrypting calls.
    DeadStackCall NewCall() {
        DeadStackCall c{curve_, priv_, pub_, {}, 0, {}, {}, {}};
        EXPECT_EQ(encrypt(curve_, pub_, 66, &c.input), 0);
        EXPECT_EQ(encrypt_string(curve_, pub_, "xyz", c.input_entries, sizeof(c.input_entries)),
                  static_cast<int32_t>(sizeof(c.input_entries)));
        return c;
    }

    EccCurve *curve_ = nullptr;
    char priv_[VESSA_KEY_TEXT_SIZE];
    char pub_[VESSA_KEY_TEXT_SIZE];
};

// The search must work, or the test below proves nothing: a value a callee
// left in its dead frame is found.
TEST_F(DeadStack, TheSearchFindsAValueLeftBehind) {
    DeadStackCall c = NewCall();
    std::vector<unsigned char> dead(kDeadStackBytes);
    ClearThenCapture([](void *) {
        volatile int64_t planted = kD;  // a spill nobody wipes
        __asm__ __volatile__("" : : "r"(&planted) : "memory");
    }, &c, dead.data());
    EXPECT_EQ(Occurrences(dead, kD), 1U);

}

// Each variant clears the whole of its region, and nothing beyond it, below
// a stack filled with a pattern: the full region, and the shorter one of a
// secret-handling call.
TEST_F(DeadStack, EveryWipeVariantClearsItsRegion) {
    struct Variant {
        const char *name;
        void (*wipe)() noexcept;
        std::size_t bytes;
        bool available;
    };
    __builtin_cpu_init();
    const bool avx2 = __builtin_cpu_supports("avx2") != 0;
    const bool avx512 = __builtin_cpu_supports("avx512f") != 0;
    const Variant variants[] = {
        {"portable", &WipeStackBelowPortable<kStackWipeBytes>, kStackWipeBytes, true},
        {"avx2", &WipeStackBelowAvx2<kStackWipeBytes>, kStackWipeBytes, avx2},
        {"avx512", &WipeStackBelowAvx512<kStackWipeBytes>, kStackWipeBytes, avx512},
        {"portable", &WipeStackBelowPortable<kSecretCallWipeBytes>, kSecretCallWipeBytes, true},
        {"avx2", &WipeStackBelowAvx2<kSecretCallWipeBytes>, kSecretCallWipeBytes, avx2},
        {"avx512", &WipeStackBelowAvx512<kSecretCallWipeBytes>, kSecretCallWipeBytes, avx512},
    };
    std::vector<unsigned char> dead(kDeadStackBytes);
    for (const Variant &variant : variants) {
        if (!variant.available) {
            std::cout << variant.name << ": not on this processor\n";
            continue;
        }
        static void (*s_wipe)() noexcept;
        s_wipe = variant.wipe;
        RunAndCaptureDeadStack([](void *) {
            FillStackBelow(0xA5);
            s_wipe();
        }, nullptr, dead.data());
        // The last 512 bytes hold the frames of the capture and the lambda;
        // the region ends within them.
        const auto region_end = dead.end() - 512;
        const auto size = static_cast<std::ptrdiff_t>(variant.bytes);
        EXPECT_EQ(std::count(region_end - (size - 512), region_end, 0xA5), 0)
            << variant.name << ", " << variant.bytes << " bytes";
        EXPECT_EQ(std::count(region_end - size - 512, region_end - size, 0xA5), 512)
            << variant.name << ", " << variant.bytes
            << " bytes: a store below the region, or no pattern to prove anything";
    }
}

TEST_P(DeadStack, NeitherTheNonceNorThePrivateScalarIsLeftBelowTheCall) {
    const SecretCall call = GetParam();
    constexpr int kCalls = 200;
    int calls_leaving_d = 0;  // the private scalar
    int calls_leaving_k = 0;  // the nonce or an encryption scalar
    size_t deepest = 0;
    std::vector<unsigned char> dead(kDeadStackBytes);
    for (int i = 0; i < kCalls; ++i) {
        DeadStackCall c = NewCall();
        ClearThenCapture(call.run, &c, dead.data());
        call.secrets(c);
        ASSERT_FALSE(c.secrets.empty());
        const auto left = [&](int64_t secret) { return Searchable(c, secret) && Occurrences(dead, secret) > 0; };
        calls_leaving_d += left(c.secrets[0]) ? 1 : 0;
        bool k_left = false;
        for (size_t j = 1; j < c.secrets.size(); ++j) {
            ASSERT_GT(c.secrets[j], 0);
            k_left = k_left || left(c.secrets[j]);
        }
        calls_leaving_k += k_left ? 1 : 0;
        deepest = std::max(deepest, DeepestResidue(dead));
    }
    std::cout << call.name << ": of " << kCalls << " calls, " << calls_leaving_k
              << " left k and " << calls_leaving_d << " left d; deepest residue " << deepest
              << " bytes below the caller\n";
    // A nonce (and the key ecc_generate_private makes) is a fresh value below
    // n in every call, so now and then it equals, by chance, one of the few
    // dozen public words (coordinates, lengths, output bytes) that the
    // caller's frames above the cleared region hold: about one call in a few
    // hundred. A spill repeats in call after call (200 of 200 before the
    // clearing), so a stray hit or two is tolerated, no more.
    EXPECT_LE(calls_leaving_k, 2);
    EXPECT_LE(calls_leaving_d, 2);
    // Anything left deeper than the call's clearing means a callee ran
    // beyond it (only the generator's batch may, and it clears after itself).
    EXPECT_LT(deepest, kSecretCallWipeBytes);
}

INSTANTIATE_TEST_SUITE_P(Calls, DeadStack, ::testing::ValuesIn(kSecretCalls),
                         [](const auto &param_info) { return std::string(param_info.param.name); });

}  // namespace
}  // namespace vessa
