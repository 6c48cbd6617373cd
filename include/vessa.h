/*
 * libvessa: elliptic-curve keys, signatures and encryption on one fixed curve,
 * y^2 = x^3 + x + 1 over the integers modulo 99991, base point (2617, 5304).
 *
 * Plain C interface (C99 and C++). All arithmetic is signed 64-bit two's
 * complement with wrap-around; every result is the one that arithmetic gives.
 *
 * Conventions shared by every function below:
 *  - Status results are signed 32-bit: 0 (or a non-negative length or count)
 *    for success, a negative code for failure.
 *  - The caller owns every output buffer and passes its capacity beside it.
 *    All checks run before anything is written: on failure nothing is
 *    written to any buffer, record or out-parameter.
 *  - Text results end with a NUL that the returned length does not count.
 *  - Keys cross the interface only as 344-character texts (345 bytes with the
 *    NUL); every operation that takes a key text reads it first and returns
 *    -1 when it is malformed.
 *  - Null pointers are outside every contract.
 *
 * The curve has only 99919 points: anything made here is as strong as a
 * 17-bit discrete logarithm. Use it for interoperability, teaching and
 * testing, never to protect real secrets.
 */
#ifndef VESSA_H
#define VESSA_H

#include <stdint.h>

#if defined(VESSA_BUILDING_LIBRARY) && defined(__GNUC__)
#define VESSA_API __attribute__((visibility("default")))
#else
#define VESSA_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/** Length of a packed key text, without its NUL. */
#define VESSA_KEY_TEXT_LEN 344
/** Buffer size a packed key text needs, NUL included. */
#define VESSA_KEY_TEXT_SIZE 345
/** Length of a hexadecimal signature text, without its NUL. */
#define VESSA_SIGNATURE_TEXT_LEN 16
/** Buffer size a hexadecimal signature text needs, NUL included. */
#define VESSA_SIGNATURE_TEXT_SIZE 17
/** Bytes of string ciphertext per byte of text. */
#define VESSA_CIPHERTEXT_ENTRY_SIZE 12

/** A point: two signed 64-bit coordinates, x first. (-1, -1) is the point at
 *  infinity; any point with a coordinate of -1 is treated as it. */
typedef struct EccPoint {
    int64_t x;
    int64_t y;
} EccPoint;

/** The curve context: a = 1, b = 1, p = 99991, h = 1, n = 99919 (the order of
 *  g, counted by ecc_new), g = (2617, 5304). Only read after ecc_new. */
typedef struct EccCurve {
    int64_t a;
    int64_t b;
    int64_t p;
    int64_t h;
    int64_t n;
    EccPoint g;
} EccCurve;

/** One encrypted byte value: the point R = k*G and masked = |S.x| * value. */
typedef struct EccCiphertext {
    EccPoint point;
    int64_t masked;
} EccCiphertext;

/* ----------------------------------------------------------------------- */
/* Curve context and points                                                 */

/** Allocates and fills a curve context, counting the base point's order
 *  afresh. Returns null when the allocation fails. Release with
 *  ecc_destroy. */
VESSA_API EccCurve *ecc_new(void);

/** Releases a context from ecc_new. A null pointer is accepted and ignored.
 *  Must not overlap any other use of the same context. */
VESSA_API void ecc_destroy(EccCurve *curve);

/** Returns the point (x, y) by value; nothing is checked against the curve. */
VESSA_API EccPoint point_new(int64_t x, int64_t y);

/** Returns the x-coordinate of *p. */
VESSA_API int64_t point_get_x(const EccPoint *p);

/** Returns the y-coordinate of *p. */
VESSA_API int64_t point_get_y(const EccPoint *p);

/* ----------------------------------------------------------------------- */
/* Packed key texts                                                         */

/** Packs the private scalar d into a 344-character text with fresh random
 *  filler. Returns 344 with the text and a NUL in buf, or -1 when capacity is
 *  below 345 (buf untouched; the random generator has advanced all the
 *  same). */
VESSA_API int32_t package_private(int64_t d, char *buf, int32_t capacity);

/** Reads a private key text (NUL-terminated). Returns 0 with the scalar
 *  stored in *d, or -1 for a malformed text (*d untouched). Only the
 *  encodings and the length are checked. */
VESSA_API int32_t resolve_private(const char *text, int64_t *d);

/** Packs the public point q into a 344-character text with fresh random
 *  filler. Returns 344 with the text and a NUL in buf, or -1 when capacity is
 *  below 345 (buf untouched). */
VESSA_API int32_t package_public(EccPoint q, char *buf, int32_t capacity);

/** Reads a public key text (NUL-terminated). Returns 0 with the point stored
 *  in *x and *y, or -1 for a malformed text (*x and *y untouched). The point
 *  is not tested against the curve. */
VESSA_API int32_t resolve_public(const char *text, int64_t *x, int64_t *y);

/* ----------------------------------------------------------------------- */
/* Key generation                                                           */

/** Draws a private scalar from [n/7, n) and packs it into buf. Returns 344,
 *  or -1 when len is below 345 (buf untouched). */
VESSA_API int32_t ecc_generate_private(const EccCurve *curve, char *buf, int32_t len);

/** Derives the public key d*G of the private key text priv and packs it into
 *  buf. Returns 344; -1 when priv is malformed or len is below 345 (buf
 *  untouched in both cases). */
VESSA_API int32_t ecc_generate_public(const EccCurve *curve, const char *priv, char *buf,
                                      int32_t len);

/* ----------------------------------------------------------------------- */
/* Signatures                                                               */

/** Signs the message (its bytes before the first NUL) with the private key
 *  text priv. Returns 0 with the response in *s (2147383728 to 2147483646)
 *  and the challenge in *e, or -1 for a malformed key text (*s and *e
 *  untouched). Every signature made for a generated key verifies under its
 *  public key: a nonce that would give one that does not is drawn again. */
VESSA_API int32_t sign(const EccCurve *curve, const char *priv, const char *msg, int32_t *s,
                       int32_t *e);

/** Checks the signature (s, e) of the message under the public key text pub.
 *  Returns 0 when it matches, -1 when it does not or pub is malformed. */
VESSA_API int32_t verify(const EccCurve *curve, const char *pub, const char *msg, int32_t s,
                         int32_t e);

/** Signs through sign() and writes the signature as 16 lowercase hexadecimal
 *  digits (the little-endian bytes of s, then of e) and a NUL. Returns 0; -1
 *  for a malformed key text or a size below 17 (buf untouched; the size is
 *  tested after signing). */
VESSA_API int32_t sign_to_hex_string(const EccCurve *curve, const char *priv, const char *msg,
                                     char *buf, uint32_t size);

/** Checks a 16-digit hexadecimal signature text (either case) through
 *  verify(). Returns 0 when it matches; -1 when the text is not 16
 *  hexadecimal digits (checked before the key), pub is malformed, or the
 *  signature does not match. */
VESSA_API int32_t verify_from_hex_string(const EccCurve *curve, const char *pub,
                                         const char *msg, const char *sig);

/* ----------------------------------------------------------------------- */
/* Encryption                                                               */

/** Encrypts one byte value under the public key text pub, with a fresh
 *  random scalar on every call. Returns 0 with *out filled, or the negative
 *  result of resolve_public (-1 for a malformed key text; *out untouched).
 *  Every ciphertext made under a curve point decrypts to its value with the
 *  matching private key. */
VESSA_API int32_t encrypt(const EccCurve *curve, const char *pub, uint8_t value,
                          EccCiphertext *out);

/** Decrypts one ciphertext with the private key text priv. Returns 0 with the
 *  value in *value, or the negative result of resolve_private (-1 for a
 *  malformed key text; *value untouched). A wrong key or damaged ciphertext
 *  is not detected: the call succeeds with a wrong value. No ciphertext,
 *  whatever its contents, stops the process. */
VESSA_API int32_t decrypt(const EccCurve *curve, const char *priv, uint8_t *value,
                          EccCiphertext ct);

/** Encrypts the bytes of text before its NUL, 12 bytes of ciphertext per
 *  byte, into out. Returns the number of bytes written (12 * length); -1 for
 *  a malformed key text; -2 when bit 15 (0x8000) of the length is set (a
 *  single bit, not an upper bound); -4 when 12 * length exceeds capacity or
 *  2147483647. The checks run in that order. Nothing is written on failure,
 *  and never more than 12 * length bytes (no terminator). */
VESSA_API int32_t encrypt_string(const EccCurve *curve, const char *pub, const char *text,
                                 uint8_t *out, int32_t capacity);

/** Decrypts count bytes of string ciphertext into out, followed by a NUL.
 *  Returns the number of bytes decrypted (count / 12), not counting the NUL;
 *  -1 for a malformed key text; -2 when count is not a multiple of 12; -3
 *  when out cannot hold the bytes and the NUL. The checks run in that order.
 *  A negative multiple of 12 yields the empty text (result 0), which still
 *  needs a capacity of 1. Nothing is written on failure, and nothing past the
 *  NUL on success. Decrypted zero bytes are stored as they come. */
VESSA_API int32_t decrypt_to_string(const EccCurve *curve, const char *priv, const uint8_t *ct,
                                    int32_t count, char *out, int32_t capacity);

#ifdef __cplusplus
}
#endif

#endif /* VESSA_H */
