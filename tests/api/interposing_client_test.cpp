// A client that defines its own functions named like the library's (verify,
// sign, resolve_public, resolve_private, package_private, package_public),
// as a program with a plain "verify" of its own might. The executable
// exports them, so a library call that went through the symbol table would
// reach them. Every library function must behave as before and never call
// them. The library's own versions of the shadowed names are reached through
// dlsym on the library's handle. Compiled against a header before 1.1, only
// the 1.0 functions are checked.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "vessa.h"

#ifndef VESSA_NOEXCEPT  // a header before 1.1
#define VESSA_NOEXCEPT
#endif

namespace {

int g_client_calls = 0;

}  // namespace

// The client's own functions: each would subvert the library if reached.
extern "C" {

int32_t verify(const EccCurve *, const char *, const char *, int32_t, int32_t) VESSA_NOEXCEPT {
    ++g_client_calls;
    return 0;  // accepts everything
}

int32_t sign(const EccCurve *, const char *, const char *, int32_t *s, int32_t *e) VESSA_NOEXCEPT {
    ++g_client_calls;
    *s = 0;
    *e = 0;
    return 0;
}

int32_t resolve_public(const char *, int64_t *x, int64_t *y) VESSA_NOEXCEPT {
    ++g_client_calls;
    *x = 2617;  // every text reads as the base point
    *y = 5304;
    return 0;
}

int32_t resolve_private(const char *, int64_t *d) VESSA_NOEXCEPT {
    ++g_client_calls;
    *d = 1;  // every text reads as the scalar 1
    return 0;
}

int32_t package_private(int64_t, char *buf, int32_t) VESSA_NOEXCEPT {
    ++g_client_calls;
    std::strcpy(buf, "forged");
    return VESSA_KEY_TEXT_LEN;
}

int32_t package_public(EccPoint, char *buf, int32_t) VESSA_NOEXCEPT {
    ++g_client_calls;
    std::strcpy(buf, "forged");
    return VESSA_KEY_TEXT_LEN;
}

}  // extern "C"

namespace {

// The library's own function of a shadowed name.
template <typename Function>
Function *Library(const char *name) {
    void *handle = dlopen("libvessa.so.1", RTLD_NOW | RTLD_NOLOAD);
    void *symbol = handle != nullptr ? dlsym(handle, name) : nullptr;
    if (handle != nullptr) {
        dlclose(handle);
    }
    return reinterpret_cast<Function *>(symbol);
}

class InterposingClient : public ::testing::Test {
protected:
    void SetUp() override {
        curve_ = ecc_new();
        ASSERT_NE(curve_, nullptr);
        ASSERT_EQ(ecc_generate_private(curve_, priv_, sizeof(priv_)), VESSA_KEY_TEXT_LEN);
        ASSERT_EQ(ecc_generate_public(curve_, priv_, pub_, sizeof(pub_)), VESSA_KEY_TEXT_LEN);
        ASSERT_NE(library_verify_, nullptr);
        ASSERT_NE(library_resolve_private_, nullptr);
        ASSERT_NE(library_resolve_public_, nullptr);
    }
    void TearDown() override {
        ecc_destroy(curve_);
        EXPECT_EQ(g_client_calls, 0) << "the library called a client function";
    }

    EccCurve *curve_ = nullptr;
    char priv_[VESSA_KEY_TEXT_SIZE] = {};
    char pub_[VESSA_KEY_TEXT_SIZE] = {};
    decltype(&::verify) library_verify_ = Library<decltype(::verify)>("verify");
    decltype(&::sign) library_sign_ = Library<decltype(::sign)>("sign");
    decltype(&::resolve_private) library_resolve_private_ =
        Library<decltype(::resolve_private)>("resolve_private");
    decltype(&::resolve_public) library_resolve_public_ =
        Library<decltype(::resolve_public)>("resolve_public");
};

TEST_F(InterposingClient, KeyGenerationPacksRealKeyTexts) {
    int64_t d = 0;
    int64_t x = 0;
    int64_t y = 0;
    EXPECT_EQ(std::strlen(priv_), size_t{VESSA_KEY_TEXT_LEN});
    EXPECT_EQ(library_resolve_private_(priv_, &d), 0);
    EXPECT_GE(d, 14274);
    EXPECT_EQ(library_resolve_public_(pub_, &x, &y), 0);
    EXPECT_NE(x, 2617);
}

TEST_F(InterposingClient, SignaturesAreMadeAndCheckedByTheLibrary) {
    const char *message = "pay 10";
    char hex[VESSA_SIGNATURE_TEXT_SIZE];
    ASSERT_EQ(sign_to_hex_string(curve_, priv_, message, hex, sizeof(hex)), 0);
    EXPECT_EQ(verify_from_hex_string(curve_, pub_, message, hex), 0);
    EXPECT_EQ(verify_from_hex_string(curve_, pub_, "pay 1000", hex), -1);
    EXPECT_EQ(verify_from_hex_string(curve_, pub_, message, "0000000000000000"), -1);
    EXPECT_EQ(verify_from_hex_string(curve_, "not a key", message, hex), -1);
    EXPECT_EQ(sign_to_hex_string(curve_, "not a key", message, hex, sizeof(hex)), -1);
    int32_t s = 0;
    int32_t e = 0;
    ASSERT_EQ(library_sign_(curve_, priv_, message, &s, &e), 0);
    EXPECT_EQ(library_verify_(curve_, pub_, message, s, e), 0);
    EXPECT_EQ(library_verify_(curve_, pub_, message, 0, 0), -1);
}

TEST_F(InterposingClient, EncryptionUsesTheRealKeys) {
    const char *text = "secret";
    uint8_t ct[6 * VESSA_CIPHERTEXT_ENTRY_SIZE];
    char back[7] = {};
    ASSERT_EQ(encrypt_string(curve_, pub_, text, ct, sizeof(ct)), 72);
    EXPECT_EQ(decrypt_to_string(curve_, priv_, ct, sizeof(ct), back, sizeof(back)), 6);
    EXPECT_STREQ(back, text);
    EXPECT_EQ(encrypt_string(curve_, "not a key", text, ct, sizeof(ct)), -1);
    EXPECT_EQ(decrypt_to_string(curve_, "not a key", ct, sizeof(ct), back, sizeof(back)), -1);
    EccCiphertext one{};
    uint8_t value = 0;
    ASSERT_EQ(encrypt(curve_, pub_, 200, &one), 0);
    EXPECT_EQ(decrypt(curve_, priv_, &value, one), 0);
    EXPECT_EQ(value, 200);
    EXPECT_EQ(encrypt(curve_, "not a key", 1, &one), -1);
    EXPECT_EQ(decrypt(curve_, "not a key", &value, one), -1);
}

#if VESSA_VERSION_MINOR >= 1
TEST_F(InterposingClient, InterfaceOneOneUsesTheRealKeys) {
    const uint8_t message[] = {'a', 0, 'b'};
    int32_t s = 0;
    int32_t e = 0;
    ASSERT_EQ(vessa_sign_bytes(curve_, priv_, message, sizeof(message), &s, &e), VESSA_OK);
    EXPECT_EQ(vessa_verify_bytes(curve_, pub_, message, sizeof(message), s, e), VESSA_OK);
    EXPECT_EQ(vessa_verify_bytes(curve_, pub_, message, sizeof(message), 0, 0), VESSA_ERR_INVALID);
    VessaMessage m;
    vessa_message_init(&m);
    vessa_message_update(&m, message, sizeof(message));
    ASSERT_EQ(vessa_sign_message(curve_, priv_, &m, &s, &e), VESSA_OK);
    EXPECT_EQ(vessa_verify_message(curve_, pub_, &m, s, e), VESSA_OK);
    EXPECT_EQ(vessa_sign_message(curve_, "not a key", &m, &s, &e), VESSA_ERR_INVALID);
    uint8_t ct[sizeof(message) * VESSA_CIPHERTEXT_ENTRY_SIZE];
    uint8_t back[sizeof(message)] = {};
    ASSERT_EQ(vessa_encrypt_bytes(curve_, pub_, message, sizeof(message), ct, sizeof(ct)),
              VESSA_OK);
    EXPECT_EQ(vessa_decrypt_bytes(curve_, priv_, ct, sizeof(ct), back, sizeof(back)), VESSA_OK);
    EXPECT_EQ(std::memcmp(back, message, sizeof(message)), 0);
    EXPECT_EQ(vessa_encrypt_bytes(curve_, "not a key", message, 1, ct, sizeof(ct)),
              VESSA_ERR_INVALID);
    EXPECT_EQ(vessa_public_key_check(curve_, pub_), VESSA_OK);
    EXPECT_EQ(vessa_public_key_check(curve_, "not a key"), VESSA_ERR_INVALID);
    char fingerprint[VESSA_FINGERPRINT_TEXT_SIZE];
    EXPECT_EQ(vessa_public_key_fingerprint("not a key", fingerprint, sizeof(fingerprint)),
              VESSA_ERR_INVALID);
}
#endif

}  // namespace
