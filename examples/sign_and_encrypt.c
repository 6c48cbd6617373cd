/*
 * A complete round through libvessa from C: make a key pair, sign a message
 * and verify the signature, then encrypt a text and decrypt it again.
 * Every return code is checked; the program exits with 0 only when every
 * step did what it should.
 *
 * Build against an installed library:
 *     cc -std=c99 sign_and_encrypt.c $(pkg-config --cflags --libs vessa)
 */
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "vessa.h"

static int fail(const char *step, int32_t code) {
    fprintf(stderr, "sign_and_encrypt: %s failed with code %d\n", step, (int)code);
    return 1;
}

int main(void) {
    const char *message = "Meet me at the old mill at midnight.";
    char priv[VESSA_KEY_TEXT_SIZE];
    char pub[VESSA_KEY_TEXT_SIZE];
    char signature[VESSA_SIGNATURE_TEXT_SIZE];
    uint8_t *ciphertext;
    char *decrypted;
    int32_t length = (int32_t)strlen(message);
    int32_t ct_size = length * VESSA_CIPHERTEXT_ENTRY_SIZE;
    int32_t rc;
    int status = 0;

    EccCurve *curve = ecc_new();
    if (curve == NULL) {
        fprintf(stderr, "sign_and_encrypt: ecc_new: out of memory\n");
        return 1;
    }

    /* A key pair: both calls return the text length, 344. */
    rc = ecc_generate_private(curve, priv, (int32_t)sizeof priv);
    if (rc != VESSA_KEY_TEXT_LEN) {
        ecc_destroy(curve);
        return fail("ecc_generate_private", rc);
    }
    rc = ecc_generate_public(curve, priv, pub, (int32_t)sizeof pub);
    if (rc != VESSA_KEY_TEXT_LEN) {
        ecc_destroy(curve);
        return fail("ecc_generate_public", rc);
    }
    printf("public key: %.24s... (%d characters)\n", pub, (int)strlen(pub));

    /* Sign, verify (0 = match), and check that a changed message fails. */
    rc = sign_to_hex_string(curve, priv, message, signature, (uint32_t)sizeof signature);
    if (rc != 0) {
        ecc_destroy(curve);
        return fail("sign_to_hex_string", rc);
    }
    printf("signature:  %s\n", signature);
    rc = verify_from_hex_string(curve, pub, message, signature);
    if (rc != 0) {
        ecc_destroy(curve);
        return fail("verify_from_hex_string", rc);
    }
    printf("verify:     valid\n");
    if (verify_from_hex_string(curve, pub, "Meet me at the new mill.", signature) != -1) {
        fprintf(stderr, "sign_and_encrypt: a changed message verified\n");
        ecc_destroy(curve);
        return 1;
    }
    printf("tampered:   invalid, as it should be\n");

    /* Encrypt: 12 bytes per byte of text; decrypt needs room for the NUL. */
    ciphertext = malloc((size_t)ct_size);
    decrypted = malloc((size_t)length + 1);
    if (ciphertext == NULL || decrypted == NULL) {
        fprintf(stderr, "sign_and_encrypt: out of memory\n");
        status = 1;
    } else if ((rc = encrypt_string(curve, pub, message, ciphertext, ct_size)) != ct_size) {
        status = fail("encrypt_string", rc);
    } else if ((rc = decrypt_to_string(curve, priv, ciphertext, ct_size, decrypted,
                                       length + 1)) != length) {
        status = fail("decrypt_to_string", rc);
    } else if (strcmp(decrypted, message) != 0) {
        fprintf(stderr, "sign_and_encrypt: decrypted text differs: %s\n", decrypted);
        status = 1;
    } else {
        printf("encrypted:  %d bytes\n", (int)ct_size);
        printf("decrypted:  %s\n", decrypted);
    }

    free(ciphertext);
    free(decrypted);
    ecc_destroy(curve);
    return status;
}
