"""Curve: a curve context and the operations on it."""

from __future__ import annotations

import contextlib
import ctypes
import threading
from types import TracebackType
from typing import Any, Dict, Iterator, Optional, Tuple, Type, Union

from . import _arguments
from ._arguments import Bytes, Data
from ._library import load_library
from .errors import BufferTooSmallError, CiphertextError, VessaError
from .keys import PrivateKey, PublicKey, as_key, derive_public
from .keytext import KEY_TEXT_LEN
from .message import FileSource, Message

CIPHERTEXT_ENTRY_SIZE = 12
PrivateKeyLike = Union[PrivateKey, str, bytes]
PublicKeyLike = Union[PublicKey, str, bytes]


class Curve:
    """A curve context (ecc_new), released by close() or at the end of a
    `with` block.

    Any number of threads may call one Curve at once. close() waits for the
    calls in flight to return before it releases the context (and raises
    RuntimeError when called from inside one of them, such as from a signal
    handler, since it would wait for itself); every call once close() has
    begun raises ValueError.

    Keys are PrivateKey and PublicKey values or their texts; messages and
    plaintexts are any bytes-like object (NUL bytes included, any length) or
    str, taken as its UTF-8 bytes.
    """

    def __init__(self) -> None:
        self._state = threading.Condition()
        self._in_flight = 0
        self._callers: Dict[int, int] = {}  # thread id -> calls it has in flight
        self._closing = False
        self._lib = load_library()
        pointer = self._lib.ecc_new()
        if not pointer:
            raise MemoryError("ecc_new could not allocate the curve context")
        self._pointer: Any = pointer
        fields = pointer.contents
        self.a: int = fields.a
        self.b: int = fields.b
        self.p: int = fields.p
        self.h: int = fields.h
        self.n: int = fields.n
        self.g: Tuple[int, int] = (fields.g.x, fields.g.y)

    # Lifetime ----------------------------------------------------------------

    @contextlib.contextmanager
    def _call(self) -> Iterator[Any]:
        """The live context, counted as in flight for the block's length."""
        caller = threading.get_ident()
        with self._state:
            if self._closing:
                raise ValueError("the curve context is closed")
            self._in_flight += 1
            self._callers[caller] = self._callers.get(caller, 0) + 1
        try:
            yield self._pointer
        finally:
            with self._state:
                self._in_flight -= 1
                if self._callers[caller] == 1:
                    del self._callers[caller]
                else:
                    self._callers[caller] -= 1
                if self._in_flight == 0:
                    self._state.notify_all()

    def close(self) -> None:
        """Releases the context once the calls in flight have returned; later
        calls raise ValueError. Idempotent."""
        with self._state:
            if threading.get_ident() in self._callers:
                raise RuntimeError("Curve.close() was called from inside a call on the same "
                                   "curve (a signal handler or callback?) and would wait for "
                                   "itself")
            self._closing = True
            while self._in_flight:
                self._state.wait()
            pointer, self._pointer = self._pointer, None
        if pointer:
            self._lib.ecc_destroy(pointer)

    @property
    def closed(self) -> bool:
        """True once close() has begun."""
        return self._closing

    def __enter__(self) -> Curve:
        with self._call():
            return self

    def __exit__(self, kind: Optional[Type[BaseException]], value: Optional[BaseException],
                 traceback: Optional[TracebackType]) -> None:
        self.close()

    def __del__(self) -> None:
        if getattr(self, "_pointer", None):
            self.close()

    # Keys --------------------------------------------------------------------

    def generate_private_key(self) -> PrivateKey:
        """A fresh private key (a random scalar in [14274, 99918])."""
        buffer = ctypes.create_string_buffer(KEY_TEXT_LEN + 1)
        with self._call() as context:
            rc = int(self._lib.ecc_generate_private(context, buffer, len(buffer)))
        if rc != KEY_TEXT_LEN:
            raise VessaError(f"ecc_generate_private failed with code {rc}", rc)
        return PrivateKey(buffer.value)

    def public_key(self, private_key: PrivateKeyLike) -> PublicKey:
        """The public key that belongs to a private key."""
        private = as_key(PrivateKey, private_key, "private_key")
        with self._call() as context:
            return derive_public(private, context)

    def generate_keypair(self) -> Tuple[PrivateKey, PublicKey]:
        """A fresh (private key, public key) pair."""
        private_key = self.generate_private_key()
        return private_key, self.public_key(private_key)

    # Signatures ----------------------------------------------------------------

    def sign(self, private_key: PrivateKeyLike, message: Data) -> str:
        """The signature text of message: 16 lowercase hexadecimal digits."""
        private = as_key(PrivateKey, private_key, "private_key")
        pointer, length = _arguments.readable(message, "message")
        s, e = ctypes.c_int32(), ctypes.c_int32()
        with self._call() as context:
            rc = int(self._lib.vessa_sign_bytes(context, private._text, pointer, length,
                                                ctypes.byref(s), ctypes.byref(e)))
        return self._signature(rc, s, e, "vessa_sign_bytes")

    def verify(self, public_key: PublicKeyLike, message: Data, signature: str | bytes) -> bool:
        """True when signature (16 hexadecimal digits, either case) is one
        of message under public_key, else False."""
        s, e = _arguments.signature(signature)
        with self._call() as context:
            public = as_key(PublicKey, public_key, "public_key", context)
            pointer, length = _arguments.readable(message, "message")
            rc = int(self._lib.vessa_verify_bytes(context, public._text, pointer, length, s, e))
        return rc == 0

    def sign_message(self, private_key: PrivateKeyLike, message: Message) -> str:
        """The signature text of a streamed message (which is not changed)."""
        private = as_key(PrivateKey, private_key, "private_key")
        state = self._message_state(message)
        s, e = ctypes.c_int32(), ctypes.c_int32()
        with self._call() as context:
            rc = int(self._lib.vessa_sign_message(context, private._text, ctypes.byref(state),
                                                  ctypes.byref(s), ctypes.byref(e)))
        return self._signature(rc, s, e, "vessa_sign_message")

    def verify_message(self, public_key: PublicKeyLike, message: Message,
                       signature: str | bytes) -> bool:
        """True when signature is one of the streamed message under public_key."""
        s, e = _arguments.signature(signature)
        state = self._message_state(message)
        with self._call() as context:
            public = as_key(PublicKey, public_key, "public_key", context)
            rc = int(self._lib.vessa_verify_message(context, public._text, ctypes.byref(state),
                                                    s, e))
        return rc == 0

    def sign_file(self, private_key: PrivateKeyLike, file: FileSource) -> str:
        """The signature text of a file's bytes (a path, or a file opened in
        binary mode, read from where it stands to its end), read in pieces:
        memory stays flat whatever the size."""
        private = as_key(PrivateKey, private_key, "private_key")
        return self.sign_message(private, Message().update_from(file))

    def verify_file(self, public_key: PublicKeyLike, file: FileSource,
                    signature: str | bytes) -> bool:
        """True when signature is one of the file's bytes under public_key."""
        _arguments.signature(signature)
        with self._call() as context:
            public = as_key(PublicKey, public_key, "public_key", context)
        return self.verify_message(public, Message().update_from(file), signature)

    @staticmethod
    def _message_state(message: object) -> Any:
        if not isinstance(message, Message):
            raise TypeError(f"message must be a vessa.Message, not {_arguments.type_name(message)}")
        return message._state

    @staticmethod
    def _signature(rc: int, s: ctypes.c_int32, e: ctypes.c_int32, what: str) -> str:
        if rc != 0:
            raise VessaError(f"{what} failed with code {rc}", rc)
        return _arguments.signature_text(s.value, e.value)

    # Encryption ----------------------------------------------------------------

    def encrypt(self, public_key: PublicKeyLike, plaintext: Data) -> bytes:
        """The ciphertext of plaintext: one 12-byte entry per byte, with fresh
        random scalars every call."""
        pointer, length = _arguments.readable(plaintext, "plaintext")
        output = bytearray(CIPHERTEXT_ENTRY_SIZE * length)
        with self._call() as context:
            public = as_key(PublicKey, public_key, "public_key", context)
            rc = int(self._lib.vessa_encrypt_bytes(
                context, public._text, pointer, length,
                (ctypes.c_char * len(output)).from_buffer(output), len(output)))
        if rc == -4:
            raise BufferTooSmallError("vessa_encrypt_bytes: output buffer too small", rc)
        if rc != 0:
            raise VessaError(f"vessa_encrypt_bytes failed with code {rc}", rc)
        return bytes(output)

    def decrypt(self, private_key: PrivateKeyLike, ciphertext: Bytes) -> bytes:
        """The plaintext of a ciphertext made by encrypt(). A wrong key is not
        detected: it gives wrong bytes."""
        private = as_key(PrivateKey, private_key, "private_key")
        pointer, length = _arguments.readable(ciphertext, "ciphertext", allow_str=False)
        if length % CIPHERTEXT_ENTRY_SIZE:
            raise CiphertextError(f"ciphertext of {length} bytes is not a whole number of "
                                  f"{CIPHERTEXT_ENTRY_SIZE}-byte entries", -2)
        output = bytearray(length // CIPHERTEXT_ENTRY_SIZE)
        with self._call() as context:
            rc = int(self._lib.vessa_decrypt_bytes(
                context, private._text, pointer, length,
                (ctypes.c_char * len(output)).from_buffer(output), len(output)))
        if rc == -3:
            raise BufferTooSmallError("vessa_decrypt_bytes: output buffer too small", rc)
        if rc != 0:
            raise VessaError(f"vessa_decrypt_bytes failed with code {rc}", rc)
        return bytes(output)
