"""Message: a message absorbed in pieces, to be signed or verified as a whole.

    message = vessa.Message()
    for piece in pieces:
        message.update(piece)
    signature = curve.sign_message(private_key, message)

Any split of the same bytes gives the same signatures as one piece, and as
Curve.sign on the whole. Signing or verifying does not change the message,
so one pass over a large file serves any number of keys. The state holds no
secret; wipe() clears it for messages that are. A Message is not meant to
be shared between threads while it is updated.
"""

from __future__ import annotations

import ctypes
import io
import os
from typing import BinaryIO, Optional, Union

from . import _arguments
from ._arguments import Data
from ._library import MessageState, load_library

#: What sign_file and verify_file read: a path, or a file opened in binary mode.
FileSource = Union[str, "os.PathLike[str]", BinaryIO]

#: Bytes read at a time from a file: enough to keep the digest busy, little
#: enough that memory stays flat whatever the file's size.
PIECE_SIZE = 1 << 20


class Message:
    """The streaming state of a message (VessaMessage): bytes go in with
    update(); Curve.sign_message and Curve.verify_message read it."""

    __slots__ = ("_state", "_length")

    def __init__(self, data: Optional[Data] = None) -> None:
        self._state = MessageState()
        self._length = 0
        load_library().vessa_message_init(ctypes.byref(self._state))
        if data is not None:
            self.update(data)

    def update(self, data: Data) -> Message:
        """Absorbs data (bytes-like, or str as UTF-8) and returns self."""
        pointer, length = _arguments.readable(data, "data")
        load_library().vessa_message_update(ctypes.byref(self._state), pointer, length)
        self._length += length
        return self

    def update_from(self, source: FileSource) -> Message:
        """Absorbs everything readable from a path or a binary file, in
        pieces of PIECE_SIZE bytes; returns self."""
        if isinstance(source, (str, os.PathLike)):
            with open(source, "rb") as file:
                return self._read_all(file)
        if isinstance(source, io.TextIOBase):
            raise TypeError("file must be opened in binary mode, not as text")
        if not callable(getattr(source, "read", None)):
            raise TypeError("file must be a path or a binary file, "
                            f"not {_arguments.type_name(source)}")
        return self._read_all(source)

    def _read_all(self, file: BinaryIO) -> Message:
        readinto = getattr(file, "readinto", None)
        if callable(readinto):
            buffer = bytearray(PIECE_SIZE)
            view = memoryview(buffer)
            while True:
                count = readinto(view)
                if not count:
                    return self
                self.update(view[:count])
        while True:
            piece = file.read(PIECE_SIZE)
            if not isinstance(piece, (bytes, bytearray)):
                raise TypeError("file must be opened in binary mode: its read() gave "
                                f"{_arguments.type_name(piece)}, not bytes")
            if not piece:
                return self
            self.update(piece)

    def copy(self) -> Message:
        """An independent copy of the state, to continue two ways."""
        other = Message.__new__(Message)
        other._state = MessageState()
        ctypes.memmove(ctypes.byref(other._state), ctypes.byref(self._state),
                       ctypes.sizeof(MessageState))
        other._length = self._length
        return other

    def wipe(self) -> None:
        """Clears the state; the message is empty again."""
        lib = load_library()
        lib.vessa_message_wipe(ctypes.byref(self._state))
        lib.vessa_message_init(ctypes.byref(self._state))
        self._length = 0

    @property
    def length(self) -> int:
        """The number of bytes absorbed."""
        return self._length

    def __repr__(self) -> str:
        return f"Message(length={self._length})"
