"""Python binding of libvessa, through the standard library's ctypes only.

    import vessa
    with vessa.Curve() as curve:
        private_key, public_key = curve.generate_keypair()
        signature = curve.sign(private_key, b"hello")
        assert curve.verify(public_key, b"hello", signature)
        ciphertext = curve.encrypt(public_key, b"secret")
        assert curve.decrypt(private_key, ciphertext) == b"secret"

The curve is tiny: everything made here is only as strong as a 17-bit
discrete logarithm. Use it for interoperability, teaching and testing, never
to protect real secrets.

The shared library libvessa.so.1 (interface 1.1 or newer) is looked for, in
this order: the path in the environment variable VESSA_LIBRARY; this
package's own directory (where `cmake --install` links it); the system
loader.
"""

from ._library import library_version, load_library
from .curve import CIPHERTEXT_ENTRY_SIZE, Curve
from .errors import (BufferTooSmallError, CiphertextError, KeyKindError, KeyTextError,
                     LibraryError, SignatureTextError, TextTooLongError, VessaError)
from .keys import FINGERPRINT_LEN, PrivateKey, PublicKey
from .keytext import KEY_TEXT_LEN, package_private, package_public, resolve_private, resolve_public
from .message import Message
from ._arguments import SIGNATURE_TEXT_LEN

__all__ = [
    "Curve",
    "PrivateKey",
    "PublicKey",
    "Message",
    "VessaError",
    "KeyTextError",
    "KeyKindError",
    "SignatureTextError",
    "TextTooLongError",
    "CiphertextError",
    "BufferTooSmallError",
    "LibraryError",
    "load_library",
    "library_version",
    "package_private",
    "resolve_private",
    "package_public",
    "resolve_public",
    "KEY_TEXT_LEN",
    "SIGNATURE_TEXT_LEN",
    "CIPHERTEXT_ENTRY_SIZE",
    "FINGERPRINT_LEN",
]
__version__ = "1.1.0"
