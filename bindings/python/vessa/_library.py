"""Finding libvessa.so.1 and declaring its functions for ctypes."""

from __future__ import annotations

import ctypes
import os
import threading
from typing import Iterator, List, Optional, Tuple

from .errors import LibraryError

#: The oldest interface this package can use: 1.1 brought the byte, stream,
#: fingerprint and key-check functions everything here is built on.
REQUIRED_INTERFACE = (1, 1)
LIBRARY_NAME = "libvessa.so.1"


class Point(ctypes.Structure):
    _fields_ = [("x", ctypes.c_int64), ("y", ctypes.c_int64)]


class CurveRecord(ctypes.Structure):
    _fields_ = [
        ("a", ctypes.c_int64),
        ("b", ctypes.c_int64),
        ("p", ctypes.c_int64),
        ("h", ctypes.c_int64),
        ("n", ctypes.c_int64),
        ("g", Point),
    ]


class MessageState(ctypes.Structure):
    """VessaMessage: an opaque, caller-owned streaming state."""

    _fields_ = [("opaque", ctypes.c_uint64 * 32)]


CurvePointer = ctypes.POINTER(CurveRecord)
_i32, _i64, _u32, _size = ctypes.c_int32, ctypes.c_int64, ctypes.c_uint32, ctypes.c_size_t
_text, _out, _data = ctypes.c_char_p, ctypes.c_char_p, ctypes.c_void_p
_i32_out, _i64_out = ctypes.POINTER(_i32), ctypes.POINTER(_i64)
_state = ctypes.POINTER(MessageState)

# name: (result type, argument types), as declared in vessa.h
_SIGNATURES = {
    "ecc_new": (CurvePointer, []),
    "ecc_destroy": (None, [CurvePointer]),
    "package_private": (_i32, [_i64, _out, _i32]),
    "resolve_private": (_i32, [_text, _i64_out]),
    "package_public": (_i32, [Point, _out, _i32]),
    "resolve_public": (_i32, [_text, _i64_out, _i64_out]),
    "ecc_generate_private": (_i32, [CurvePointer, _out, _i32]),
    "ecc_generate_public": (_i32, [CurvePointer, _text, _out, _i32]),
    "vessa_sign_bytes": (_i32, [CurvePointer, _text, _data, _size, _i32_out, _i32_out]),
    "vessa_verify_bytes": (_i32, [CurvePointer, _text, _data, _size, _i32, _i32]),
    "vessa_message_init": (None, [_state]),
    "vessa_message_update": (None, [_state, _data, _size]),
    "vessa_sign_message": (_i32, [CurvePointer, _text, _state, _i32_out, _i32_out]),
    "vessa_verify_message": (_i32, [CurvePointer, _text, _state, _i32, _i32]),
    "vessa_message_wipe": (None, [_state]),
    "vessa_encrypt_bytes": (_i32, [CurvePointer, _text, _data, _size, _data, _size]),
    "vessa_decrypt_bytes": (_i32, [CurvePointer, _text, _data, _size, _data, _size]),
    "vessa_public_key_fingerprint": (_i32, [_text, _out, _size]),
    "vessa_public_key_check": (_i32, [CurvePointer, _text]),
    "vessa_version": (ctypes.c_char_p, []),
}

_library: Optional[ctypes.CDLL] = None
_loading = threading.Lock()


def _candidates() -> Iterator[str]:
    explicit = os.environ.get("VESSA_LIBRARY")
    if explicit:
        yield explicit
        return
    beside = os.path.join(os.path.dirname(os.path.abspath(__file__)), LIBRARY_NAME)
    if os.path.exists(beside):
        yield beside
    yield LIBRARY_NAME


def parse_version(text: str) -> Tuple[int, ...]:
    """(1, 1, 0) for "1.1.0"; () for a text that is not dotted numbers."""
    try:
        return tuple(int(part) for part in text.split("."))
    except ValueError:
        return ()


def _declare(lib: ctypes.CDLL, path: str) -> None:
    """Refuses a library older than the required interface, then gives every
    function its ctypes signature."""
    wanted = ".".join(map(str, REQUIRED_INTERFACE))
    try:
        version_function = lib.vessa_version
    except AttributeError:
        raise LibraryError(
            f"{path} has no vessa_version: it is libvessa 1.0, or not libvessa at all; "
            f"this package needs libvessa {wanted} or newer") from None
    version_function.restype, version_function.argtypes = ctypes.c_char_p, []
    raw = version_function()
    version = raw.decode("ascii", "replace") if isinstance(raw, bytes) else ""
    parsed = parse_version(version)
    if parsed[:1] != REQUIRED_INTERFACE[:1] or parsed[:2] < REQUIRED_INTERFACE:
        raise LibraryError(
            f"{path} is libvessa {version or '(no version)'}; this package needs "
            f"libvessa {wanted} or newer within major version {REQUIRED_INTERFACE[0]}")
    for name, (restype, argtypes) in _SIGNATURES.items():
        try:
            function = getattr(lib, name)
        except AttributeError:
            raise LibraryError(f"{path} (libvessa {version}) lacks the function {name}") from None
        function.restype = restype
        function.argtypes = argtypes


def load_library() -> ctypes.CDLL:
    """Loads libvessa once and returns the ctypes handle. It is looked for, in
    this order: the path in the environment variable VESSA_LIBRARY (and only
    there when it is set); libvessa.so.1 in this package's directory; the
    system loader. A library older than interface 1.1 is refused with
    LibraryError."""
    global _library
    with _loading:
        if _library is not None:
            return _library
        errors: List[str] = []
        for candidate in _candidates():
            try:
                lib = ctypes.CDLL(candidate)
            except OSError as error:
                errors.append(f"{candidate}: {error}")
                continue
            _declare(lib, candidate)
            _library = lib
            return lib
    raise LibraryError(
        "libvessa not found; install it, or set VESSA_LIBRARY to the path of "
        f"{LIBRARY_NAME} (tried: " + "; ".join(errors) + ")")


def library_version() -> str:
    """The version of the loaded libvessa, as vessa_version() gives it."""
    raw = load_library().vessa_version()
    return raw.decode("ascii") if isinstance(raw, bytes) else ""
