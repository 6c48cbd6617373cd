"""PrivateKey and PublicKey: checked, immutable keys.

A key is made from its text (str or bytes; whitespace around it, such as the
newline of a key file read whole, is ignored), loaded from a key file as the
vessa tool writes it, or generated. Constructing one checks the text and its
kind, so a key that exists can be used: a public key text is refused as a
private key, and a text that is not a point of the curve (such as a private
key text) is refused as a public key, both with KeyKindError.
"""

from __future__ import annotations

import ctypes
import hashlib
import hmac
import struct
from typing import Any, NoReturn, Optional, Tuple, Type, TypeVar, final

from . import _arguments, _key_file
from ._key_file import StrPath
from ._library import load_library
from ._shared_curve import shared_curve
from .errors import KeyKindError, VessaError
from .keytext import KEY_TEXT_LEN, key_text_error

FINGERPRINT_LEN = 16
_NOT_ON_CURVE = -5
_Key = TypeVar("_Key", "PrivateKey", "PublicKey")


class _Immutable:
    __slots__ = ()

    def __setattr__(self, name: str, value: object) -> NoReturn:
        raise AttributeError(f"{type(self).__name__} is immutable")

    def __delattr__(self, name: str) -> NoReturn:
        raise AttributeError(f"{type(self).__name__} is immutable")


def _set(key: _Immutable, name: str, value: object) -> None:
    object.__setattr__(key, name, value)


@final
class PublicKey(_Immutable):
    """A public key: a point of the curve other than the point at infinity.
    Equal keys hold the same point, whatever their texts (every packing of a
    point has fresh filler, so texts of one key differ)."""

    __slots__ = ("_text", "_point")
    _text: bytes
    _point: Tuple[int, int]

    def __init__(self, text: str | bytes) -> None:
        self._fill(_arguments.text_bytes(text, "public key"), "public key")

    def _fill(self, data: bytes, name: str, context: Any = None) -> None:
        lib = load_library()
        x, y = ctypes.c_int64(), ctypes.c_int64()
        if lib.resolve_public(data, ctypes.byref(x), ctypes.byref(y)) != 0:
            raise key_text_error("public", name)
        rc = int(lib.vessa_public_key_check(context or shared_curve(), data))
        if rc == _NOT_ON_CURVE:
            raise KeyKindError(f"{name} is not a point of the curve; is it a private key text?",
                               rc)
        if rc != 0:
            raise VessaError(f"vessa_public_key_check failed with code {rc}", rc)
        _set(self, "_text", data)
        _set(self, "_point", (x.value, y.value))

    @classmethod
    def load(cls, path: StrPath) -> PublicKey:
        """The public key in a key file (its text and a newline)."""
        key = object.__new__(cls)
        key._fill(_arguments.text_bytes(_key_file.read(path), "path"), f"public key file {path}")
        return key

    def save(self, path: StrPath, *, overwrite: bool = False) -> None:
        """Writes the key file (text and newline, mode 0644) atomically;
        FileExistsError if path exists, unless overwrite is true."""
        _key_file.write(path, self.text, private=False, overwrite=overwrite)

    @property
    def text(self) -> str:
        """The key text, as it was read or made (344 characters)."""
        return self._text.decode("ascii")

    @property
    def point(self) -> Tuple[int, int]:
        """The point (x, y)."""
        return self._point

    @property
    def fingerprint(self) -> str:
        """16 lowercase hexadecimal digits that name the point: the same for
        every text of this key, different for other keys."""
        buffer = ctypes.create_string_buffer(FINGERPRINT_LEN + 1)
        rc = int(load_library().vessa_public_key_fingerprint(self._text, buffer, len(buffer)))
        if rc != 0:
            raise VessaError(f"vessa_public_key_fingerprint failed with code {rc}", rc)
        return buffer.value.decode("ascii")

    def __eq__(self, other: object) -> bool:
        if not isinstance(other, PublicKey):
            return NotImplemented
        return self._point == other._point

    def __hash__(self) -> int:
        return hash(("vessa.PublicKey", self._point))

    def __repr__(self) -> str:
        return f"PublicKey(fingerprint={self.fingerprint!r})"

    def __reduce__(self) -> Tuple[Type[PublicKey], Tuple[str]]:
        return PublicKey, (self.text,)


@final
class PrivateKey(_Immutable):
    """A private key. Its repr shows only its public key's fingerprint; the
    secret is reached through `text` alone. Equal keys hold the same scalar."""

    __slots__ = ("_text", "_scalar", "_public")
    _text: bytes
    _scalar: int
    _public: Optional[PublicKey]

    def __init__(self, text: str | bytes) -> None:
        self._fill(_arguments.text_bytes(text, "private key"), "private key")

    def _fill(self, data: bytes, name: str) -> None:
        lib = load_library()
        d = ctypes.c_int64()
        if lib.resolve_private(data, ctypes.byref(d)) != 0:
            raise key_text_error("private", name)
        # Both kinds of text read as either kind; only a public key's text
        # holds a point of the curve.
        if lib.vessa_public_key_check(shared_curve(), data) == 0:
            raise KeyKindError(f"{name} is a public key text, not a private key")
        _set(self, "_text", data)
        _set(self, "_scalar", d.value)
        _set(self, "_public", None)

    @classmethod
    def generate(cls) -> PrivateKey:
        """A fresh private key (a random scalar in [14274, 99918])."""
        buffer = ctypes.create_string_buffer(KEY_TEXT_LEN + 1)
        rc = int(load_library().ecc_generate_private(shared_curve(), buffer, len(buffer)))
        if rc != KEY_TEXT_LEN:
            raise VessaError(f"ecc_generate_private failed with code {rc}", rc)
        return cls(buffer.value)

    @classmethod
    def load(cls, path: StrPath) -> PrivateKey:
        """The private key in a key file (its text and a newline)."""
        key = object.__new__(cls)
        key._fill(_arguments.text_bytes(_key_file.read(path), "path"), f"private key file {path}")
        return key

    def save(self, path: StrPath, *, overwrite: bool = False) -> None:
        """Writes the key file (text and newline) readable by its owner only
        (0600), atomically; FileExistsError if path exists, unless overwrite
        is true."""
        _key_file.write(path, self.text, private=True, overwrite=overwrite)

    @property
    def text(self) -> str:
        """The secret key text (344 characters)."""
        return self._text.decode("ascii")

    def public_key(self) -> PublicKey:
        """The public key d·G; KeyKindError when d is a multiple of the
        group order, whose point is the point at infinity."""
        if self._public is None:
            _set(self, "_public", derive_public(self, shared_curve()))
        assert self._public is not None
        return self._public

    @property
    def fingerprint(self) -> str:
        """The fingerprint of the public key."""
        return self.public_key().fingerprint

    def __eq__(self, other: object) -> bool:
        if not isinstance(other, PrivateKey):
            return NotImplemented
        return hmac.compare_digest(struct.pack("<q", self._scalar), struct.pack("<q", other._scalar))

    def __hash__(self) -> int:
        digest = hashlib.sha3_256(b"vessa.PrivateKey" + struct.pack("<q", self._scalar)).digest()
        return int.from_bytes(digest[:8], "little")

    def __repr__(self) -> str:
        try:
            return f"PrivateKey(public fingerprint={self.fingerprint!r})"
        except VessaError:
            return "PrivateKey(without a public key)"

    def __reduce__(self) -> Tuple[Type[PrivateKey], Tuple[str]]:
        return PrivateKey, (self.text,)


def derive_public(private_key: PrivateKey, context: Any) -> PublicKey:
    buffer = ctypes.create_string_buffer(KEY_TEXT_LEN + 1)
    rc = int(load_library().ecc_generate_public(context, private_key._text, buffer, len(buffer)))
    if rc != KEY_TEXT_LEN:
        raise VessaError(f"ecc_generate_public failed with code {rc}", rc)
    key = object.__new__(PublicKey)
    try:
        key._fill(buffer.value, "the public key", context)
    except KeyKindError:
        raise KeyKindError("private key's scalar is a multiple of the group order: its public "
                           "point is the point at infinity, which is no public key",
                           _NOT_ON_CURVE) from None
    return key


def as_private_key(value: object, name: str) -> PrivateKey:
    """value as a PrivateKey: itself, or a key text (str or bytes)."""
    if isinstance(value, PrivateKey):
        return value
    if isinstance(value, (str, bytes, bytearray, memoryview)):
        key = object.__new__(PrivateKey)
        key._fill(_arguments.text_bytes(value, name), name)
        return key
    raise TypeError(f"{name} must be a PrivateKey or a key text (str or bytes), "
                    f"not {_arguments.type_name(value)}")


def as_public_key(value: object, name: str, context: Any) -> PublicKey:
    """value as a PublicKey: itself, or a key text (str or bytes)."""
    if isinstance(value, PublicKey):
        return value
    if isinstance(value, (str, bytes, bytearray, memoryview)):
        key = object.__new__(PublicKey)
        key._fill(_arguments.text_bytes(value, name), name, context)
        return key
    raise TypeError(f"{name} must be a PublicKey or a key text (str or bytes), "
                    f"not {_arguments.type_name(value)}")
