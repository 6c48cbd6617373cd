#!/usr/bin/env bash
# Tests of the installed package, as a client on another machine meets it.
#   installed_package_test.sh install BUILD_DIR WORK_DIR LIBDIR VERSION
#   installed_package_test.sh pkg-config WORK_DIR LIBDIR VERSION EXAMPLE
#   installed_package_test.sh find-package WORK_DIR LIBDIR EXAMPLE GENERATOR
#   installed_package_test.sh tool WORK_DIR
# The C compiler comes from CC; CFLAGS and LDFLAGS are added to its command
# (the sanitizer builds pass their flags there).
set -euo pipefail

fail() { echo "FAIL: $*" >&2; exit 1; }

mode=$1; shift
case "$mode" in
install)
  build=$1 work=$2 libdir=$3 version=$4
  rm -rf "$work"
  mkdir -p "$work"
  cmake --install "$build" --prefix "$work/prefix" > "$work/install.log"
  prefix=$work/prefix
  major=${version%%.*}
  for f in include/vessa.h "$libdir/libvessa.so.$version" "$libdir/pkgconfig/vessa.pc" \
           "$libdir/cmake/vessa/vessaConfig.cmake" "$libdir/cmake/vessa/vessaConfigVersion.cmake" \
           "$libdir/cmake/vessa/vessaTargets.cmake" bin/vessa; do
    [ -f "$prefix/$f" ] || fail "missing $f under the prefix"
  done
  [ "$(readlink "$prefix/$libdir/libvessa.so")" = "libvessa.so.$major" ] ||
    fail "libvessa.so does not link to libvessa.so.$major"
  [ "$(readlink "$prefix/$libdir/libvessa.so.$major")" = "libvessa.so.$version" ] ||
    fail "libvessa.so.$major does not link to libvessa.so.$version"
  [ -x "$prefix/bin/vessa" ] || fail "bin/vessa is not executable"
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
*)
  fail "unknown mode $mode"
  ;;
esac
