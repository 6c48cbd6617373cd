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
#include <string>
#include <vector>

#include "keytext/key_text.h"
#include "random/chacha20.h"
#include "random/os_entropy.h"
#include "random/thread_rng.h"
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
