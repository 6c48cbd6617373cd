"""Key files as the vessa tool writes them: the key text and a newline."""

from __future__ import annotations

import os
import tempfile
from typing import Union

StrPath = Union[str, "os.PathLike[str]"]

#: Far more than a key text and a newline; a larger file is not a key file.
_READ_LIMIT = 4096


def read(path: StrPath) -> bytes:
    with open(path, "rb") as file:
        return file.read(_READ_LIMIT)


def write(path: StrPath, text: str, private: bool, overwrite: bool) -> None:
    """Writes text and a newline to path through a temporary file in the same
    directory, so that a reader never sees half a key and a failure leaves
    any earlier file untouched. A private key file is readable by its owner
    only (0600), a public one by everyone (0644). Without overwrite an
    existing file is refused with FileExistsError."""
    target = os.fspath(path)
    directory = os.path.dirname(os.path.abspath(target))
    descriptor, temporary = tempfile.mkstemp(prefix=".vessa-key-", dir=directory)
    try:
        with os.fdopen(descriptor, "wb") as file:
            os.fchmod(file.fileno(), 0o600 if private else 0o644)
            file.write(text.encode("ascii") + b"\n")
            file.flush()
            os.fsync(file.fileno())
        if overwrite:
            os.replace(temporary, target)
        else:
            os.link(temporary, target)  # fails when target exists, atomically
            os.unlink(temporary)
    except BaseException:
        try:
            os.unlink(temporary)
        except FileNotFoundError:
            pass
        raise
    _sync_directory(directory)


def _sync_directory(directory: str) -> None:
    descriptor = os.open(directory, os.O_RDONLY | os.O_DIRECTORY)
    try:
        os.fsync(descriptor)
    finally:
        os.close(descriptor)
