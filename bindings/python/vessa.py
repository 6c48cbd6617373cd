"""Python binding of libvessa, through the standard library's ctypes only.

    import vessa
    with vessa.Curve() as curve:
        private_key, public_key = curve.generate_keypair()
        signature = curve.sign(private_key, "hello")
        assert curve.verify(public_key, "hello", signature)
        ciphertext = curve.encrypt(public_key, b"secret")
        assert curve.decrypt(private_key, ciphertext) == b"secret"

The curve is tiny: everything made here is only as strong as a 17-bit
discrete logarithm. Use it for interoperability, teaching and testing, never
to protect real secrets.

The shared library is looked for, in this order: the path in the environment
variable VESSA_LIBRARY; libvessa.so.1 (or libvessa.so) in this module's own
directory; the system loader (libvessa.so.1, then find_library("vessa")).
"""

import ctypes
import ctypes.util
import os
import string

__all__ = [
    "Curve",
    "VessaError",
    "KeyTextError",
    "SignatureTextError",
    "TextTooLongError",
    "CiphertextError",
    "BufferTooSmallError",
    "load_library",
    "package_private",
    "resolve_private",
    "package_public",
    "resolve_public",
    "KEY_TEXT_LEN",
    "SIGNATURE_TEXT_LEN",
    "CIPHERTEXT_ENTRY_SIZE",
]
__version__ = "1.0.0"

KEY_TEXT_LEN = 344
SIGNATURE_TEXT_LEN = 16
CIPHERTEXT_ENTRY_SIZE = 12
_INT32_MAX = 2**31 - 1


class VessaError(Exception):
    """A call into libvessa refused its input; `code` is its negative result."""

    def __init__(self, message, code=None):
        super().__init__(message)
        self.code = code


class KeyTextError(VessaError, ValueError):
    """A key text is not a valid 344-character packed key (code -1)."""


class SignatureTextError(VessaError, ValueError):
    """A signature text is not 16 hexadecimal digits."""


class TextTooLongError(VessaError, ValueError):
    """A text's length is refused by the text encryption (code -2)."""


class CiphertextError(VessaError, ValueError):
    """A ciphertext's length is not a multiple of 12 bytes (code -2)."""


class BufferTooSmallError(VessaError):
    """An output buffer was too small (codes -3, -4). The binding sizes its
    buffers itself, so this signals a fault in the binding or the library."""


class _Point(ctypes.Structure):
    _fields_ = [("x", ctypes.c_int64), ("y", ctypes.c_int64)]


class _Curve(ctypes.Structure):
    _fields_ = [
        ("a", ctypes.c_int64),
        ("b", ctypes.c_int64),
        ("p", ctypes.c_int64),
        ("h", ctypes.c_int64),
        ("n", ctypes.c_int64),
        ("g", _Point),
    ]


_CurvePtr = ctypes.POINTER(_Curve)
_i32, _i64, _u8, _u32 = ctypes.c_int32, ctypes.c_int64, ctypes.c_uint8, ctypes.c_uint32
_text = ctypes.c_char_p
_bytes_out = ctypes.POINTER(_u8)

# name: (result type, argument types), as declared in vessa.h
_SIGNATURES = {
    "ecc_new": (_CurvePtr, []),
    "ecc_destroy": (None, [_CurvePtr]),
    "package_private": (_i32, [_i64, ctypes.c_char_p, _i32]),
    "resolve_private": (_i32, [_text, ctypes.POINTER(_i64)]),
    "package_public": (_i32, [_Point, ctypes.c_char_p, _i32]),
    "resolve_public": (_i32, [_text, ctypes.POINTER(_i64), ctypes.POINTER(_i64)]),
    "ecc_generate_private": (_i32, [_CurvePtr, ctypes.c_char_p, _i32]),
    "ecc_generate_public": (_i32, [_CurvePtr, _text, ctypes.c_char_p, _i32]),
    "sign_to_hex_string": (_i32, [_CurvePtr, _text, _text, ctypes.c_char_p, _u32]),
    "verify_from_hex_string": (_i32, [_CurvePtr, _text, _text, _text]),
    "encrypt_string": (_i32, [_CurvePtr, _text, _text, _bytes_out, _i32]),
    "decrypt_to_string": (_i32, [_CurvePtr, _text, _bytes_out, _i32, ctypes.c_char_p, _i32]),
}

_library = None


def _candidates():
    explicit = os.environ.get("VESSA_LIBRARY")
    if explicit:
        yield explicit
        return
    here = os.path.dirname(os.path.abspath(__file__))
    for name in ("libvessa.so.1", "libvessa.so"):
        path = os.path.join(here, name)
        if os.path.exists(path):
            yield path
    yield "libvessa.so.1"
    found = ctypes.util.find_library("vessa")
    if found:
        yield found


def load_library():
    """Loads libvessa once (see the module's doc for where it is looked for)
    and returns the ctypes handle."""
    global _library
    if _library is not None:
        return _library
    errors = []
    for candidate in _candidates():
        try:
            lib = ctypes.CDLL(candidate)
        except OSError as error:
            errors.append(f"{candidate}: {error}")
            continue
        for name, (restype, argtypes) in _SIGNATURES.items():
            function = getattr(lib, name)
            function.restype = restype
            function.argtypes = argtypes
        _library = lib
        return lib
    raise OSError("libvessa not found; set VESSA_LIBRARY to the path of libvessa.so.1 or "
                  "install the library (tried: " + "; ".join(errors) + ")")


def _as_bytes(value, what):
    """bytes for the C interface: str as UTF-8; no NUL inside, since the
    library reads every text up to its first NUL."""
    if isinstance(value, str):
        data = value.encode("utf-8")
    elif isinstance(value, (bytes, bytearray, memoryview)):
        data = bytes(value)
    else:
        raise TypeError(f"{what} must be bytes or str, not {type(value).__name__}")
    nul = data.find(b"\0")
    if nul >= 0:
        raise ValueError(f"{what} holds a NUL byte at offset {nul}; "
                         "the library's text interface would stop there")
    return data


def _key_error(kind, text):
    hint = " (a trailing newline is not part of a key text)" if text.endswith(b"\n") else ""
    return KeyTextError(f"not a valid {kind} key text{hint}", -1)


def _key(value, kind):
    text = _as_bytes(value, f"the {kind} key")
    lib = load_library()
    if kind == "private":
        ok = lib.resolve_private(text, ctypes.byref(_i64())) == 0
    else:
        ok = lib.resolve_public(text, ctypes.byref(_i64()), ctypes.byref(_i64())) == 0
    if not ok:
        raise _key_error(kind, text)
    return text


def _checked_key_text(rc, buf, what):
    if rc != KEY_TEXT_LEN:
        raise VessaError(f"{what} failed with code {rc}", rc)
    return buf.value.decode("ascii")


def package_private(d):
    """The private key text of the scalar d (any signed 64-bit value)."""
    buf = ctypes.create_string_buffer(KEY_TEXT_LEN + 1)
    return _checked_key_text(load_library().package_private(d, buf, len(buf)), buf,
                             "package_private")


def resolve_private(text):
    """The scalar held by a private key text; KeyTextError when malformed."""
    data = _as_bytes(text, "the private key")
    d = _i64()
    if load_library().resolve_private(data, ctypes.byref(d)) != 0:
        raise _key_error("private", data)
    return d.value


def package_public(x, y):
    """The public key text of the point (x, y); the point is not checked."""
    buf = ctypes.create_string_buffer(KEY_TEXT_LEN + 1)
    return _checked_key_text(load_library().package_public(_Point(x, y), buf, len(buf)), buf,
                             "package_public")


def resolve_public(text):
    """The point (x, y) held by a public key text; KeyTextError when malformed."""
    data = _as_bytes(text, "the public key")
    x, y = _i64(), _i64()
    if load_library().resolve_public(data, ctypes.byref(x), ctypes.byref(y)) != 0:
        raise _key_error("public", data)
    return x.value, y.value


_HEX_DIGITS = frozenset(string.hexdigits)


class Curve:
    """A curve context (ecc_new); released by close() or at the end of a
    `with` block. Several threads may use one Curve at once."""

    def __init__(self):
        self._lib = load_library()
        pointer = self._lib.ecc_new()
        if not pointer:
            raise MemoryError("ecc_new could not allocate the curve context")
        self._ptr = pointer
        fields = pointer.contents
        self.a, self.b, self.p, self.h, self.n = fields.a, fields.b, fields.p, fields.h, fields.n
        self.g = (fields.g.x, fields.g.y)

    def close(self):
        """Releases the context; later calls raise ValueError. Idempotent."""
        pointer, self._ptr = getattr(self, "_ptr", None), None
        if pointer:
            self._lib.ecc_destroy(pointer)

    @property
    def closed(self):
        return self._ptr is None

    def __enter__(self):
        self._context()
        return self

    def __exit__(self, *exc_info):
        self.close()

    def __del__(self):
        self.close()

    def _context(self):
        if self._ptr is None:
            raise ValueError("the curve context is closed")
        return self._ptr

    # Keys ------------------------------------------------------------------

    def generate_private_key(self):
        """A fresh private key text (344 characters)."""
        buf = ctypes.create_string_buffer(KEY_TEXT_LEN + 1)
        rc = self._lib.ecc_generate_private(self._context(), buf, len(buf))
        return _checked_key_text(rc, buf, "ecc_generate_private")

    def public_key(self, private_key):
        """The public key text that belongs to a private key text."""
        priv = _key(private_key, "private")
        buf = ctypes.create_string_buffer(KEY_TEXT_LEN + 1)
        rc = self._lib.ecc_generate_public(self._context(), priv, buf, len(buf))
        return _checked_key_text(rc, buf, "ecc_generate_public")

    def generate_keypair(self):
        """A fresh (private key text, public key text) pair."""
        private_key = self.generate_private_key()
        return private_key, self.public_key(private_key)

    # Signatures ------------------------------------------------------------

    def sign(self, private_key, message):
        """The 16-digit hexadecimal signature of message (bytes or str,
        str signed as UTF-8)."""
        priv = _key(private_key, "private")
        msg = _as_bytes(message, "the message")
        buf = ctypes.create_string_buffer(SIGNATURE_TEXT_LEN + 1)
        rc = self._lib.sign_to_hex_string(self._context(), priv, msg, buf, len(buf))
        if rc != 0:
            raise VessaError(f"sign_to_hex_string failed with code {rc}", rc)
        return buf.value.decode("ascii")

    def verify(self, public_key, message, signature):
        """True when signature matches message under public_key, else False.
        A malformed key or signature text raises instead."""
        pub = _key(public_key, "public")
        msg = _as_bytes(message, "the message")
        sig = signature if isinstance(signature, str) else bytes(signature).decode("latin-1")
        if len(sig) != SIGNATURE_TEXT_LEN or not set(sig) <= _HEX_DIGITS:
            raise SignatureTextError(f"not a signature text (16 hexadecimal digits expected): "
                                     f"{signature!r}")
        return self._lib.verify_from_hex_string(self._context(), pub, msg, sig.encode("ascii")) == 0

    # Encryption ------------------------------------------------------------

    def encrypt(self, public_key, plaintext):
        """The ciphertext of plaintext (bytes, or str as UTF-8): 12 bytes per
        byte. Raises TextTooLongError for a length the library refuses."""
        pub = _key(public_key, "public")
        data = _as_bytes(plaintext, "the plaintext")
        size = len(data) * CIPHERTEXT_ENTRY_SIZE
        if size > _INT32_MAX:
            raise TextTooLongError(f"a text of {len(data)} bytes is beyond the text encryption's "
                                   f"32-bit sizes", -2)
        out = (_u8 * max(size, 1))()
        rc = self._lib.encrypt_string(self._context(), pub, data, out, size)
        if rc == -2:
            raise TextTooLongError(
                f"a text of {len(data)} bytes is refused: the text encryption refuses lengths "
                "with bit 15 (0x8000) set, such as 32768 to 65535", rc)
        if rc == -4:
            raise BufferTooSmallError("encrypt_string: output buffer too small", rc)
        if rc != size:
            raise VessaError(f"encrypt_string failed with code {rc}", rc)
        return bytes(out)[:size]

    def decrypt(self, private_key, ciphertext):
        """The plaintext bytes of a ciphertext made by encrypt(). A wrong key
        is not detected: it gives wrong bytes."""
        priv = _key(private_key, "private")
        data = bytes(ciphertext)
        if len(data) > _INT32_MAX:
            raise CiphertextError("a ciphertext beyond 32-bit sizes", -2)
        count = len(data) // CIPHERTEXT_ENTRY_SIZE
        source = (_u8 * max(len(data), 1)).from_buffer_copy(data.ljust(1, b"\0"))
        out = ctypes.create_string_buffer(count + 1)
        rc = self._lib.decrypt_to_string(self._context(), priv, source, len(data), out, len(out))
        if rc == -2:
            raise CiphertextError(
                f"a ciphertext of {len(data)} bytes is not a multiple of 12 bytes", rc)
        if rc == -3:
            raise BufferTooSmallError("decrypt_to_string: output buffer too small", rc)
        if rc != count:
            raise VessaError(f"decrypt_to_string failed with code {rc}", rc)
        return out.raw[:count]
