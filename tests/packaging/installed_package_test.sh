#!/usr/bin/env bash
# Tests of the installed package, as a client on another machine meets it.
#   installed_package_test.sh install BUILD_DIR WORK_DIR LIBDIR VERSION [PYTHON]
#   installed_package_test.sh pkg-config WORK_DIR LIBDIR VERSION EXAMPLE
#   installed_package_test.sh find-package WORK_DIR LIBDIR EXAMPLE GENERATOR
#   installed_package_test.sh tool WORK_DIR
#   installed_package_test.sh pip PYTHON PACKAGE_DIR WORK_DIR LIBRARY
# With PYTHON, the prefix is a virtual environment of that interpreter (with
# its system packages), as a Python user would install into one.
# The C compiler comes from CC; CFLAGS and LDFLAGS are added to its command
# (the sanitizer builds pass their flags there).
set -euo pipefail

fail() { echo "FAIL: $*" >&2; exit 1; }

mode=$1; shift
case "$mode" in
install)
  build=$1 work=$2 libdir=$3 version=$4 python=${5:-}
  rm -rf "$work"
  mkdir -p "$work"
  if [ -n "$python" ]; then
    "$python" -m venv --system-site-packages --without-pip "$work/prefix"
  fi
  cmake --install "$build" --prefix "$work/prefix" > "$work/install.log"
  prefix=$work/prefix
  major=${version%%.*}
  for f in include/vessa.h "$libdir/libvessa.so.$version" "$libdir/pkgconfig/vessa.pc" \
           "$libdir/cmake/vessa/vessaConfig.cmake" "$libdir/cmake/vessa/vessaConfigVersion.cmake" \
           "$libdir/cmake/vessa/vessaTargets.cmake" bin/vessa share/bash-completion/completions/vessa; do
    [ -f "$prefix/$f" ] || fail "missing $f under the prefix"
  done
  for page in man1/vessa.1 man3/libvessa.3; do   # built when scdoc was found
    [ ! -f "$build/doc/${page#*/}" ] || [ -f "$prefix/share/man/$page" ] ||
      fail "missing share/man/$page under the prefix"
  done
  [ "$(readlink "$prefix/$libdir/libvessa.so")" = "libvessa.so.$major" ] ||
    fail "libvessa.so does not link to libvessa.so.$major"
  [ "$(readlink "$prefix/$libdir/libvessa.so.$major")" = "libvessa.so.$version" ] ||
    fail "libvessa.so.$major does not link to libvessa.so.$version"
  [ -x "$prefix/bin/vessa" ] || fail "bin/vessa is not executable"
  if [ -n "$python" ]; then
    # Imported from elsewhere, with nothing in the environment pointing at it.
    found=$(cd "$work" && env -u VESSA_LIBRARY -u PYTHONPATH -u LD_LIBRARY_PATH "$prefix/bin/python3" \
      -c 'import vessa; print(vessa.__version__, vessa.library_version(), vessa.__file__)') ||
      fail "the installed Python package does not import"
    [ "${found%% *}" = "$version" ] || fail "the Python package reports another version: $found"
    case "$found" in *" $prefix/"*) ;; *) fail "python imported vessa from elsewhere: $found" ;; esac
  fi
  echo "installed into $prefix"
  ;;
pkg-config)
  work=$1 libdir=$2 version=$3 example=$4
  prefix=$work/prefix
  export PKG_CONFIG_PATH=$prefix/$libdir/pkgconfig
  [ "$(pkg-config --modversion vessa)" = "$version" ] || fail "pkg-config reports another version"
  out=$work/pkg-config-consumer
  # shellcheck disable=SC2046,SC2086
  ${CC:-cc} -std=c99 -Wall -Wextra -Werror ${CFLAGS:-} "$example" \
    $(pkg-config --cflags --libs vessa) ${LDFLAGS:-} -o "$out"
  LD_LIBRARY_PATH=$prefix/$libdir "$out"
  ;;
find-package)
  work=$1 libdir=$2 example=$3 generator=$4
  prefix=$work/prefix
  rm -rf "$work/find-package"
  cmake -S "$(dirname "$0")/consumer" -B "$work/find-package" -G "$generator" \
    -DCMAKE_PREFIX_PATH="$prefix" -DVESSA_EXAMPLE_SOURCE="$example" \
    -DCMAKE_C_COMPILER="${CC:-cc}" -DCMAKE_C_FLAGS="${CFLAGS:-}" \
    -DCMAKE_EXE_LINKER_FLAGS="${LDFLAGS:-}" > "$work/find-package.log"
  cmake --build "$work/find-package" >> "$work/find-package.log"
  grep -q "$prefix/$libdir/cmake/vessa" "$work/find-package/CMakeCache.txt" ||
    fail "find_package did not take the installed package"
  # The build tree's RPATH points at the installed library.
  "$work/find-package/consumer"
  ;;
tool)
  work=$1
  # The installed tool carries the library inside: no LD_LIBRARY_PATH needed.
  env -u LD_LIBRARY_PATH "$work/prefix/bin/vessa" demo
  ;;
pip)
  # pip builds the package from pyproject.toml offline, with the system's
  # setuptools, from a copy (a build writes into its source directory).
  python=$1 package=$2 work=$3 library=$4
  rm -rf "$work"
  mkdir -p "$work"
  cp -r "$package" "$work/source"
  rm -rf "$work/source/build" "$work/source/"*.egg-info
  "$python" -m venv --system-site-packages --without-pip "$work/venv"
  "$work/venv/bin/python3" -m pip install --no-build-isolation --no-index --no-deps \
    "$work/source" > "$work/install.log" 2>&1 || { cat "$work/install.log"; fail "pip install failed"; }
  (cd "$work" && VESSA_LIBRARY=$library "$work/venv/bin/python3" -c '
import sys, vessa, vessa.keys
assert vessa.__file__.startswith(sys.prefix), vessa.__file__
with vessa.Curve() as curve:
    private_key, public_key = curve.generate_keypair()
    assert curve.verify(public_key, b"\0pip", curve.sign(private_key, b"\0pip"))
print("pip-installed vessa", vessa.__version__, "works")') || fail "the pip-installed package does not work"
  ls "$work/venv/lib/"python3*/site-packages/vessa/py.typed > /dev/null || fail "py.typed is not installed"
  ;;
*)
  fail "unknown mode $mode"
  ;;
esac
