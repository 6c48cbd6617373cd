"""Prints the directory under PREFIX that this interpreter imports packages
from: the one on its search path (Debian's dist-packages, a virtual
environment's or the user's site-packages), else the standard
lib/pythonX.Y/site-packages of the prefix.

    python3 python_site_dir.py PREFIX
"""
import os
import site
import sys
import sysconfig


def site_dir(prefix: str) -> str:
    prefix = os.path.realpath(prefix)
    searched = list(sys.path)
    if site.ENABLE_USER_SITE is not False:
        searched.append(site.getusersitepackages())
    for entry in searched:
        path = os.path.realpath(entry) if entry else ""
        relative = os.path.relpath(path, prefix) if path else os.pardir
        parts = relative.split(os.sep)
        if (parts[0].startswith("lib") and os.path.basename(path) in ("site-packages", "dist-packages")):
            return path
    return sysconfig.get_path("purelib", "posix_prefix", vars={"base": prefix, "platbase": prefix})


if __name__ == "__main__":
    print(site_dir(sys.argv[1]))
