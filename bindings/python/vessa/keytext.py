"""The key text functions of the C interface, over plain Python values.

These work on any scalar and any point, on the curve or not; PrivateKey and
PublicKey are the checked types for keys that are meant to be used.
"""

from __future__ import annotations

import ctypes
from typing import Tuple

from . import _arguments
from ._library import Point, load_library
from .errors import KeyTextError, VessaError

KEY_TEXT_LEN = 344


def key_text_error(kind: str, name: str) -> KeyTextError:
    return KeyTextError(f"{name} is not a valid {kind} key text ({KEY_TEXT_LEN} base64 "
                        "characters expected)", -1)


def _packed(rc: int, buffer: ctypes.Array[ctypes.c_char], what: str) -> str:
    if rc != KEY_TEXT_LEN:
        raise VessaError(f"{what} failed with code {rc}", rc)
    return buffer.value.decode("ascii")


def package_private(d: int) -> str:
    """The private key text of the scalar d (any signed 64-bit value); fresh
    random filler every call."""
    scalar = _arguments.int64(d, "d")
    buffer = ctypes.create_string_buffer(KEY_TEXT_LEN + 1)
    return _packed(int(load_library().package_private(scalar, buffer, len(buffer))), buffer,
                   "package_private")


def resolve_private(text: str | bytes) -> int:
    """The scalar held by a private key text; KeyTextError when malformed."""
    data = _arguments.text_bytes(text, "text")
    d = ctypes.c_int64()
    if load_library().resolve_private(data, ctypes.byref(d)) != 0:
        raise key_text_error("private", "text")
    return d.value


def package_public(x: int, y: int) -> str:
    """The public key text of the point (x, y); the point is not checked."""
    point = Point(_arguments.int64(x, "x"), _arguments.int64(y, "y"))
    buffer = ctypes.create_string_buffer(KEY_TEXT_LEN + 1)
    return _packed(int(load_library().package_public(point, buffer, len(buffer))), buffer,
                   "package_public")


def resolve_public(text: str | bytes) -> Tuple[int, int]:
    """The point (x, y) held by a public key text; KeyTextError when malformed."""
    data = _arguments.text_bytes(text, "text")
    x, y = ctypes.c_int64(), ctypes.c_int64()
    if load_library().resolve_public(data, ctypes.byref(x), ctypes.byref(y)) != 0:
        raise key_text_error("public", "text")
    return x.value, y.value
