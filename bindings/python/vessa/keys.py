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
from typing import Any, ClassVar, NoReturn, Optional, Tuple, Type, TypeVar, final

from . import _arguments, _key_file
from ._key_file import StrPath
from ._library import load_library
from ._shared_curve import shared_curve
from .errors import KeyKindError, VessaError
from .keytext import KEY_TEXT_LEN, key_text_error

FINGERPRINT_LEN = 16
_NOT_ON_CURVE = -5
_K = TypeVar("_K", bound="_Key")


class _Key:
    """What both kinds share: made from a text once checked, immutable, read
    from and written to key files as the tool writes them."""

    __slots__ = ()
    _kind: ClassVar[str]
    _text: bytes

    def __init__(self, text: str | bytes) -> None:
        name = f"{self._kind} key"
        self._fill(_arguments.text_bytes(text, name), name)

    def _fill(self, data: bytes, name: str, context: Any = None) -> None:
        raise NotImplementedError

    @classmethod
    def _made(cls: Type[_K], value: object, name: str, context: Any = None) -> _K:
        key = object.__new__(cls)
        key._fill(_arguments.text_bytes(value, name), name, context)
        return key

    @classmethod
    def load(cls: Type[_K], path: StrPath) -> _K:
        """The key in a key file (its text and a newline; whitespace around
        the text is ignored)."""
        return cls._made(_key_file.read(path), f"{cls._kind} key file {path}")

    def save(self, path: StrPath, *, overwrite: bool = False) -> None:
        """Writes the key file: the text and a newline, readable by its owner
        only (0600) for a private key, by everyone (0644) for a public one.
        The file is replaced atomically; an existing path raises
        FileExistsError unless overwrite is true."""
        _key_file.write(path, self.text, private=self._kind == "private", overwrite=overwrite)

    @property
    def text(self) -> str:
        """The key text (344 characters), as it was read or made."""
        return self._text.decode("ascii")

    def __setattr__(self, name: str, value: object) -> NoReturn:
        raise AttributeError(f"{type(self).__name__} is immutable")

    def __delattr__(self, name: str) -> NoReturn:
        raise AttributeError(f"{type(self).__name__} is immutable")

    def __reduce__(self) -> Tuple[Type[_Key], Tuple[str]]:
        return type(self), (self.text,)


def _set(key: _Key, name: str, value: object) -> None:
    object.__setattr__(key, name, value)


@final
class PublicKey(_Key):
    """A public key: a point of the curve other than the point at infinity.
    Equal keys hold the same point, whatever their texts (every packing of a
    point has fresh filler, so texts of one key differ)."""

    __slots__ = ("_text", "_point")
    _kind = "public"
    _point: Tuple[int, int]

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


@final
class PrivateKey(_Key):
    """A private key. Its repr shows only its public key's fingerprint; the
    secret is reached through `text` alone. Equal keys hold the same scalar."""

    __slots__ = ("_text", "_scalar", "_public")
    _kind = "private"
    _scalar: int
    _public: Optional[PublicKey]

    def _fill(self, data: bytes, name: str, context: Any = None) -> None:
        lib = load_library()
        d = ctypes.c_int64()
        if lib.resolve_private(data, ctypes.byref(d)) != 0:
            raise key_text_error("private", name)
        # Both kinds of text read as either kind; only a public key's text
        # holds a point of the curve.
        if lib.vessa_public_key_check(context or shared_curve(), data) == 0:
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


def derive_public(private_key: PrivateKey, context: Any) -> PublicKey:
    buffer = ctypes.create_string_buffer(KEY_TEXT_LEN + 1)
    rc = int(load_library().ecc_generate_public(context, private_key._text, buffer, len(buffer)))
    if rc != KEY_TEXT_LEN:
        raise VessaError(f"ecc_generate_public failed with code {rc}", rc)
    try:
        return PublicKey._made(buffer.value, "the public key", context)
    except KeyKindError:
        raise KeyKindError("the private key's scalar is a multiple of the group order: its "
                           "public point is the point at infinity, which is no public key",
                           _NOT_ON_CURVE) from None


def as_key(kind: Type[_K], value: object, name: str, context: Any = None) -> _K:
    """value as a key of that kind: itself, or its text (str or bytes), checked
    with the given curve context."""
    if isinstance(value, kind):
        return value
    if isinstance(value, (str, bytes, bytearray, memoryview)):
        return kind._made(value, name, context)
    raise TypeError(f"{name} must be a {kind.__name__} or a key text (str or bytes), "
                    f"not {_arguments.type_name(value)}")
