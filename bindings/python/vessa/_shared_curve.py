"""One curve context for the key types' own checks, made on first use and
kept for the life of the process (only read, so any thread may use it)."""

from __future__ import annotations

import threading
from typing import Any, Optional

from ._library import load_library

_context: Optional[Any] = None
_making = threading.Lock()


def shared_curve() -> Any:
    global _context
    with _making:
        if _context is None:
            pointer = load_library().ecc_new()
            if not pointer:
                raise MemoryError("ecc_new could not allocate a curve context")
            _context = pointer
        return _context
