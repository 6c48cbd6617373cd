/*
 * libvessa: elliptic-curve keys, signatures and encryption on one fixed curve,
 * y^2 = x^3 + x + 1 over the integers modulo 99991, base point (2617, 5304).
 *
 * Plain C interface (C99 and C++). All arithmetic is signed 64-bit two's
 * complement with wrap-around; every result is the one that arithmetic gives.
 * Interface 1.0 takes messages and plaintexts as NUL-terminated texts;
 * interface 1.1 (the vessa_ functions) takes bytes of any value and any
 * length, also in pieces. README.md has a complete example.
 *
 * Conventions shared by every function below:
 *  - Status results are signed 32-bit: VESSA_OK (0), or a non-negative
 *    length or count, for success; a negative VESSA_ERR_ code for failure.
 *  - The caller owns every output buffer and passes its capacity beside it.
 *    All checks run before anything is written: on failure nothing is
 *    written to any buffer, record or out-parameter.
 *  - Text results end with a NUL that the returned length does not count.
 *  - Keys cross the interface only as 344-character texts (345 bytes with the
 *    NUL); every operation that takes a key text reads it first and returns
 *    VESSA_ERR_INVALID (-1) when it is malformed.
 *  - Null pointers are outside every contract, except where a comment allows
 *    one (a null data pointer with a length of 0).
 *  - Argument order: the curve, then the key text, then the inputs (a pointer
 *    before its length), then the outputs (a buffer before its capacity, or
 *    out-parameters). The fixed exceptions, kept from 1.0: decrypt() takes
 *    its output byte before the ciphertext record, and the packing functions
 *    take the key before the buffer, with no curve.
 *  - Sizes are int32_t or uint32_t in interface 1.0 and size_t in 1.1.
 *  - No function throws, allocates for the caller, or keeps a pointer it was
 *    given after it returns; secrets are wiped before a call returns.
 *
 * Threads and fork: every function may be called from any number of threads
 * at once. An EccCurve is only read between ecc_new() and ecc_destroy(), so
 * threads may share one; a VessaMessage may be signed or verified from many
 * threads at once, but updated by one thread at a time. Each thread draws
 * its random values from a generator of its own, keyed from the operating
 * system. A child process made by fork() never repeats its parent's random
 * values: its generators are keyed afresh before their next use. In the
 * child of a multi-threaded process the usual POSIX limits on what may be
 * called before exec() apply to this library as to any other.
 *
 * The curve has only 99919 points: anything made here is as strong as a
 * 17-bit discrete logarithm. Use it for interoperability, teaching and
 * testing, never to protect real secrets.
 */
#ifndef VESSA_H
#define VESSA_H

#include <stddef.h>
#include <stdint.h>

/* The version of this header; vessa_version() gives the library's. */
#define VESSA_VERSION_MAJOR 1
#define VESSA_VERSION_MINOR 1
#define VESSA_VERSION_PATCH 0
#define VESSA_VERSION_STRING "1.1.0"

#if defined(VESSA_BUILDING_LIBRARY) && defined(__GNUC__)
#define VESSA_API __attribute__((visibility("default")))
#else
#define VESSA_API
#endif

/* Marks on the functions of interface 1.1: a result that must be looked at,
 * and arguments that must not be null (numbered from 1). Empty while the
 * library itself is built, so that its own checks are not optimised away. */
#if defined(__GNUC__) && !defined(VESSA_BUILDING_LIBRARY)
#define VESSA_WARN_UNUSED_RESULT __attribute__((warn_unused_result))
#define VESSA_NONNULL(...) __attribute__((nonnull(__VA_ARGS__)))
#else
#define VESSA_WARN_UNUSED_RESULT
#define VESSA_NONNULL(...)
#endif

/* No function throws; C++ callers see that in the declarations. */
#if defined(__cplusplus)
#define VESSA_NOEXCEPT noexcept
#else
#define VESSA_NOEXCEPT
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
/** Length of a public key fingerprint, without its NUL. */
#define VESSA_FINGERPRINT_TEXT_LEN 16
/** Buffer size a public key fingerprint needs, NUL included. */
#define VESSA_FINGERPRINT_TEXT_SIZE 17

/* Status results. Every function that returns a status uses these values;
 * each function's comment says which it returns and when. */
/** Success. (Functions returning a length return it instead.) */
#define VESSA_OK 0
/** A malformed key text, a signature that does not match, a malformed
 *  signature text, or, in interface 1.0 and for fingerprints, an output
 *  buffer that is too small. */
#define VESSA_ERR_INVALID (-1)
/** A length refused: the string ciphertext count is not a multiple of 12, or
 *  (encrypt_string only) bit 15 of the text length is set. */
#define VESSA_ERR_LENGTH (-2)
/** The output buffer cannot hold the decrypted bytes. */
#define VESSA_ERR_PLAINTEXT_BUFFER (-3)
/** The output buffer cannot hold the ciphertext. */
#define VESSA_ERR_CIPHERTEXT_BUFFER (-4)
/** A well-formed public key text whose point does not lie on the curve. */
#define VESSA_ERR_NOT_ON_CURVE (-5)

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
VESSA_API EccCurve *ecc_new(void) VESSA_NOEXCEPT;

/** Releases a context from ecc_new. A null pointer is accepted and ignored.
 *  Must not overlap any other use of the same context. */
VESSA_API void ecc_destroy(EccCurve *curve) VESSA_NOEXCEPT;

/** Returns the point (x, y) by value; nothing is checked against the curve. */
VESSA_API EccPoint point_new(int64_t x, int64_t y) VESSA_NOEXCEPT;

/** Returns the x-coordinate of *p. */
VESSA_API int64_t point_get_x(const EccPoint *p) VESSA_NOEXCEPT;

/** Returns the y-coordinate of *p. */
VESSA_API int64_t point_get_y(const EccPoint *p) VESSA_NOEXCEPT;

/* ----------------------------------------------------------------------- */
/* Packed key texts                                                         */

/** Packs the private scalar d into a 344-character text with fresh random
 *  filler. Returns 344 with the text and a NUL in buf, or -1 when capacity is
 *  below 345 (buf untouched; the random generator has advanced all the
 *  same). */
VESSA_API int32_t package_private(int64_t d, char *buf, int32_t capacity) VESSA_NOEXCEPT;

/** Reads a private key text (NUL-terminated). Returns 0 with the scalar
 *  stored in *d, or -1 for a malformed text (*d untouched). Only the
 *  encodings and the length are checked. */
VESSA_API int32_t resolve_private(const char *text, int64_t *d) VESSA_NOEXCEPT;

/** Packs the public point q into a 344-character text with fresh random
 *  filler. Returns 344 with the text and a NUL in buf, or -1 when capacity is
 *  below 345 (buf untouched). */
VESSA_API int32_t package_public(EccPoint q, char *buf, int32_t capacity) VESSA_NOEXCEPT;

/** Reads a public key text (NUL-terminated). Returns 0 with the point stored
 *  in *x and *y, or -1 for a malformed text (*x and *y untouched). The point
 *  is not tested against the curve. */
VESSA_API int32_t resolve_public(const char *text, int64_t *x, int64_t *y) VESSA_NOEXCEPT;

/* ----------------------------------------------------------------------- */
/* Key generation                                                           */

/** Draws a private scalar from [n/7, n) and packs it into buf. Returns 344,
 *  or -1 when len is below 345 (buf untouched). */
VESSA_API int32_t ecc_generate_private(const EccCurve *curve, char *buf,
                                       int32_t len) VESSA_NOEXCEPT;

/** Derives the public key d*G of the private key text priv and packs it into
 *  buf. Returns 344; -1 when priv is malformed or len is below 345 (buf
 *  untouched in both cases). */
VESSA_API int32_t ecc_generate_public(const EccCurve *curve, const char *priv, char *buf,
                                      int32_t len) VESSA_NOEXCEPT;

/* ----------------------------------------------------------------------- */
/* Signatures                                                               */

/** Signs the message (its bytes before the first NUL) with the private key
 *  text priv. Returns 0 with the response in *s (2147383728 to 2147483646)
 *  and the challenge in *e, or -1 for a malformed key text (*s and *e
 *  untouched). Every signature made for a generated key verifies under its
 *  public key: a nonce that would give one that does not is drawn again. */
VESSA_API int32_t sign(const EccCurve *curve, const char *priv, const char *msg, int32_t *s,
                       int32_t *e) VESSA_NOEXCEPT;

/** Checks the signature (s, e) of the message under the public key text pub.
 *  Returns 0 when it matches, -1 when it does not or pub is malformed. */
VESSA_API int32_t verify(const EccCurve *curve, const char *pub, const char *msg, int32_t s,
                         int32_t e) VESSA_NOEXCEPT;

/** Signs through sign() and writes the signature as 16 lowercase hexadecimal
 *  digits (the little-endian bytes of s, then of e) and a NUL. Returns 0; -1
 *  for a malformed key text or a size below 17 (buf untouched; the size is
 *  tested after signing). */
VESSA_API int32_t sign_to_hex_string(const EccCurve *curve, const char *priv, const char *msg,
                                     char *buf, uint32_t size) VESSA_NOEXCEPT;

/** Checks a 16-digit hexadecimal signature text (either case) through
 *  verify(). Returns 0 when it matches; -1 when the text is not 16
 *  hexadecimal digits (checked before the key), pub is malformed, or the
 *  signature does not match. */
VESSA_API int32_t verify_from_hex_string(const EccCurve *curve, const char *pub,
                                         const char *msg, const char *sig) VESSA_NOEXCEPT;

/* ----------------------------------------------------------------------- */
/* Encryption                                                               */

/** Encrypts one byte value under the public key text pub, with a fresh
 *  random scalar on every call. Returns 0 with *out filled, or the negative
 *  result of resolve_public (-1 for a malformed key text; *out untouched).
 *  Every ciphertext made under a curve point decrypts to its value with the
 *  matching private key. */
VESSA_API int32_t encrypt(const EccCurve *curve, const char *pub, uint8_t value,
                          EccCiphertext *out) VESSA_NOEXCEPT;

/** Decrypts one ciphertext with the private key text priv. Returns 0 with the
 *  value in *value, or the negative result of resolve_private (-1 for a
 *  malformed key text; *value untouched). A wrong key or damaged ciphertext
 *  is not detected: the call succeeds with a wrong value. No ciphertext,
 *  whatever its contents, stops the process. */
VESSA_API int32_t decrypt(const EccCurve *curve, const char *priv, uint8_t *value,
                          EccCiphertext ct) VESSA_NOEXCEPT;

/** Encrypts the bytes of text before its NUL, 12 bytes of ciphertext per
 *  byte, into out. Returns the number of bytes written (12 * length); -1 for
 *  a malformed key text; -2 when bit 15 (0x8000) of the length is set (a
 *  single bit, not an upper bound); -4 when 12 * length exceeds capacity or
 *  2147483647. The checks run in that order. Nothing is written on failure,
 *  and never more than 12 * length bytes (no terminator). */
VESSA_API int32_t encrypt_string(const EccCurve *curve, const char *pub, const char *text,
                                 uint8_t *out, int32_t capacity) VESSA_NOEXCEPT;

/** Decrypts count bytes of string ciphertext into out, followed by a NUL.
 *  Returns the number of bytes decrypted (count / 12), not counting the NUL;
 *  -1 for a malformed key text; -2 when count is not a multiple of 12; -3
 *  when out cannot hold the bytes and the NUL. The checks run in that order.
 *  A negative multiple of 12 yields the empty text (result 0), which still
 *  needs a capacity of 1. Nothing is written on failure, and nothing past the
 *  NUL on success. Decrypted zero bytes are stored as they come. */
VESSA_API int32_t decrypt_to_string(const EccCurve *curve, const char *priv, const uint8_t *ct,
                                    int32_t count, char *out, int32_t capacity) VESSA_NOEXCEPT;

/* ----------------------------------------------------------------------- */
/* Interface 1.1: messages and plaintexts of any bytes and any length       */

/** Signs the len bytes at msg (NUL bytes included; msg may be null when len
 *  is 0) with the private key text priv. The signature is of the kind sign()
 *  makes, over the same digest: for a message without NUL bytes, verify()
 *  accepts it and vessa_verify_bytes() accepts what sign() makes. Returns
 *  VESSA_OK with *s and *e written, or VESSA_ERR_INVALID for a malformed key
 *  text (nothing written). */
VESSA_API int32_t vessa_sign_bytes(const EccCurve *curve, const char *priv, const uint8_t *msg,
                                   size_t len, int32_t *s, int32_t *e) VESSA_NOEXCEPT
    VESSA_WARN_UNUSED_RESULT VESSA_NONNULL(1, 2, 5, 6);

/** Checks the signature (s, e) of the len bytes at msg (msg may be null when
 *  len is 0) under the public key text pub. Returns VESSA_OK when it
 *  matches; VESSA_ERR_INVALID when it does not or pub is malformed. */
VESSA_API int32_t vessa_verify_bytes(const EccCurve *curve, const char *pub, const uint8_t *msg,
                                     size_t len, int32_t s, int32_t e) VESSA_NOEXCEPT
    VESSA_WARN_UNUSED_RESULT VESSA_NONNULL(1, 2);

/** A message absorbed piece by piece, for signing or verifying messages too
 *  large to hold. Owned by the caller (on the stack or anywhere else); the
 *  library allocates nothing for it. It may be copied with memcpy or plain
 *  assignment to fork the message. It holds the running SHA3-256 state of
 *  the message, no key; wipe it with vessa_message_wipe() when the message
 *  itself is secret. */
typedef struct VessaMessage {
    uint64_t opaque[32];
} VessaMessage;

/** Starts *m as the empty message. */
VESSA_API void vessa_message_init(VessaMessage *m) VESSA_NOEXCEPT VESSA_NONNULL(1);

/** Appends the len bytes at data to the message *m (data may be null when
 *  len is 0). Any split of a message into pieces gives the same message. */
VESSA_API void vessa_message_update(VessaMessage *m, const void *data,
                                    size_t len) VESSA_NOEXCEPT VESSA_NONNULL(1);

/** Signs the message absorbed in *m, exactly as vessa_sign_bytes() signs
 *  its bytes. *m is not changed, so it can be signed (or verified) again,
 *  under any key. Returns VESSA_OK with *s and *e written, or
 *  VESSA_ERR_INVALID for a malformed key text (nothing written). */
VESSA_API int32_t vessa_sign_message(const EccCurve *curve, const char *priv,
                                     const VessaMessage *m, int32_t *s,
                                     int32_t *e) VESSA_NOEXCEPT VESSA_WARN_UNUSED_RESULT
    VESSA_NONNULL(1, 2, 3, 4, 5);

/** Checks the signature (s, e) of the message absorbed in *m under the
 *  public key text pub, as vessa_verify_bytes() does; *m is not changed.
 *  Returns VESSA_OK when it matches; VESSA_ERR_INVALID when it does not or
 *  pub is malformed. */
VESSA_API int32_t vessa_verify_message(const EccCurve *curve, const char *pub,
                                       const VessaMessage *m, int32_t s,
                                       int32_t e) VESSA_NOEXCEPT VESSA_WARN_UNUSED_RESULT
    VESSA_NONNULL(1, 2, 3);

/** Overwrites *m with zeros, in a way the compiler cannot drop. *m must be
 *  initialised again before further use. */
VESSA_API void vessa_message_wipe(VessaMessage *m) VESSA_NOEXCEPT VESSA_NONNULL(1);

/** Encrypts the len bytes at data (any values, NUL included; data may be
 *  null when len is 0) under the public key text pub into out, in the
 *  12-byte entry layout of encrypt_string(): entry i, at offset 12 * i,
 *  holds byte i. Entries are independent, so a long input may be encrypted
 *  piece by piece and the pieces' outputs joined. Returns VESSA_OK with
 *  exactly 12 * len bytes written; VESSA_ERR_INVALID for a malformed key
 *  text; VESSA_ERR_CIPHERTEXT_BUFFER when len > capacity / 12. The checks
 *  run in that order; nothing is written on failure. */
VESSA_API int32_t vessa_encrypt_bytes(const EccCurve *curve, const char *pub, const uint8_t *data,
                                      size_t len, uint8_t *out, size_t capacity) VESSA_NOEXCEPT
    VESSA_WARN_UNUSED_RESULT VESSA_NONNULL(1, 2);

/** Decrypts count bytes of string ciphertext at ct (as encrypt_string() and
 *  vessa_encrypt_bytes() make it) with the private key text priv into out:
 *  count / 12 bytes, with no NUL after them. Returns VESSA_OK; or
 *  VESSA_ERR_INVALID for a malformed key text, VESSA_ERR_LENGTH when count
 *  is not a multiple of 12, VESSA_ERR_PLAINTEXT_BUFFER when capacity is
 *  below count / 12, checked in that order. Nothing is written on failure.
 *  A wrong key or damaged ciphertext is not detected. */
VESSA_API int32_t vessa_decrypt_bytes(const EccCurve *curve, const char *priv, const uint8_t *ct,
                                      size_t count, uint8_t *out, size_t capacity) VESSA_NOEXCEPT
    VESSA_WARN_UNUSED_RESULT VESSA_NONNULL(1, 2);

/** Writes the fingerprint of the public key text pub to buf: 16 lowercase
 *  hexadecimal digits and a NUL, the first 8 bytes of SHA3-256 over 16
 *  bytes, x then y of the point, each as eight big-endian two's-complement
 *  bytes. Every packing of one point gives the same fingerprint. Returns
 *  VESSA_OK; VESSA_ERR_INVALID when pub is malformed or capacity is below
 *  VESSA_FINGERPRINT_TEXT_SIZE (buf untouched). */
VESSA_API int32_t vessa_public_key_fingerprint(const char *pub, char *buf,
                                               size_t capacity) VESSA_NOEXCEPT
    VESSA_WARN_UNUSED_RESULT VESSA_NONNULL(1, 2);

/** Checks that the public key text pub holds a point of the curve, stored as
 *  the library's arithmetic stores points: 0 <= x <= p (an x congruent to 0
 *  may be stored as p), 0 <= y < p, y^2 = x^3 + a*x + b modulo p. The point
 *  at infinity is not accepted. Returns VESSA_OK; VESSA_ERR_INVALID when pub
 *  is malformed; VESSA_ERR_NOT_ON_CURVE for any other point. A private key
 *  text read as a public key always gives VESSA_ERR_NOT_ON_CURVE: its
 *  filler makes its y far larger than p. */
VESSA_API int32_t vessa_public_key_check(const EccCurve *curve, const char *pub) VESSA_NOEXCEPT
    VESSA_WARN_UNUSED_RESULT VESSA_NONNULL(1, 2);

/** The library's version as "MAJOR.MINOR.PATCH": a static text, never null.
 *  Compare it with VESSA_VERSION_STRING to find the header and the loaded
 *  library at odds. */
VESSA_API const char *vessa_version(void) VESSA_NOEXCEPT;

#ifdef __cplusplus
}
#endif

#endif /* VESSA_H */
