"""Checking and converting Python arguments before any call into the library.

Every argument is checked here, so that no ctypes conversion can fail (and
no ctypes exception can escape): a wrong type raises TypeError and an
integer beyond signed 64 bits raises OverflowError, each naming the
parameter.
"""

from __future__ import annotations

import ctypes
import operator
import string
import struct
from typing import Tuple, Union

from .errors import SignatureTextError

#: Any bytes-like object the buffer protocol can read as plain bytes.
Bytes = Union[bytes, bytearray, memoryview]
#: A message or plaintext: bytes-like, or str (taken as its UTF-8 bytes).
Data = Union[str, Bytes]

INT64_MIN, INT64_MAX = -(2**63), 2**63 - 1
SIGNATURE_TEXT_LEN = 16
_HEX_DIGITS = frozenset(string.hexdigits)
_WHITESPACE = b" \t\r\n"


def type_name(value: object) -> str:
    return type(value).__name__


def int64(value: object, name: str) -> int:
    """value as a signed 64-bit integer: anything with __index__ (int, bool,
    numpy integers), never a float or a str."""
    try:
        number = operator.index(value)  # type: ignore[arg-type]
    except TypeError:
        raise TypeError(f"{name} must be an integer, not {type_name(value)}") from None
    if not INT64_MIN <= number <= INT64_MAX:
        raise OverflowError(f"{name} = {number} is outside the signed 64-bit range "
                            "[-2**63, 2**63 - 1]")
    return number


def readable(value: object, name: str, allow_str: bool = True) -> Tuple[object, int]:
    """(argument for a `const void *` parameter, length in bytes) for a
    bytes-like value, or for a str as its UTF-8 bytes. Bytes and writable
    buffers are passed without a copy; the returned object keeps the buffer
    alive and locked against resizing while it lives."""
    if isinstance(value, bytes):
        return value, len(value)
    if isinstance(value, str) and allow_str:
        data = value.encode("utf-8")
        return data, len(data)
    try:
        view = memoryview(value)  # type: ignore[arg-type]
    except TypeError:
        expected = "str or a bytes-like object" if allow_str else "a bytes-like object"
        raise TypeError(f"{name} must be {expected}, not {type_name(value)}") from None
    if view.readonly or not view.c_contiguous:
        data = view.tobytes()
        return data, len(data)
    view = view.cast("B")
    return (ctypes.c_char * view.nbytes).from_buffer(view), view.nbytes


def text_bytes(value: object, name: str) -> bytes:
    """A key or signature text as ASCII bytes, without the whitespace around
    it (a file read whole keeps its newline)."""
    if isinstance(value, str):
        try:
            data = value.encode("ascii")
        except UnicodeEncodeError:
            data = value.encode("utf-8")  # certainly malformed; the reader says so
    elif isinstance(value, (bytes, bytearray, memoryview)):
        data = bytes(value)
    else:
        raise TypeError(f"{name} must be str or bytes, not {type_name(value)}")
    return data.strip(_WHITESPACE)


def signature(value: object) -> Tuple[int, int]:
    """(s, e) of a signature text: 16 hexadecimal digits, either case, s then
    e, each as four bytes least significant first."""
    text = text_bytes(value, "signature")
    if len(text) != SIGNATURE_TEXT_LEN or not set(text.decode("latin-1")) <= _HEX_DIGITS:
        raise SignatureTextError(
            f"signature is not a signature text (16 hexadecimal digits expected): {value!r}")
    s, e = struct.unpack("<ii", bytes.fromhex(text.decode("ascii")))
    return int(s), int(e)


def signature_text(s: int, e: int) -> str:
    return struct.pack("<ii", s, e).hex()
