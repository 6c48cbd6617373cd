"""The exceptions of the vessa package.

Refused input raises a VessaError subclass that is also a ValueError, with
the library's negative result code in `code` where there is one. Arguments
of the wrong type raise TypeError, integers beyond signed 64 bits raise
OverflowError, and a closed Curve raises ValueError; each message names the
parameter.
"""

from __future__ import annotations

from typing import Optional


class VessaError(Exception):
    """A call into libvessa refused its input; `code` is its negative result."""

    def __init__(self, message: str, code: Optional[int] = None) -> None:
        super().__init__(message)
        self.code = code


class KeyTextError(VessaError, ValueError):
    """A key text is not a valid 344-character packed key (code -1)."""


class KeyKindError(VessaError, ValueError):
    """A key of the wrong kind: a public key text where a private key is
    expected, or a text that is not a point of the curve where a public key
    is expected (code -5)."""


class SignatureTextError(VessaError, ValueError):
    """A signature text is not 16 hexadecimal digits."""


class CiphertextError(VessaError, ValueError):
    """A ciphertext's length is not a multiple of 12 bytes (code -2)."""


class TextTooLongError(VessaError, ValueError):
    """A length the 1.0 text encryption refuses (code -2). Encryption now
    takes bytes of any length, so the package no longer raises it; the name
    stays for callers that catch it."""


class BufferTooSmallError(VessaError):
    """An output buffer was too small (codes -3, -4). The package sizes its
    buffers itself, so this signals a fault in the package or the library."""


class LibraryError(OSError):
    """libvessa.so.1 was not found, or is older than the interface the
    package needs."""
