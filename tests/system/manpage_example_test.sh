#!/usr/bin/env bash
# Compiles the C example of a manual page (the first code block of its
# EXAMPLE section, scdoc escapes undone) as strict C99 against the header.
#   manpage_example_test.sh PAGE.scd CC INCLUDE_DIR
set -euo pipefail
page=$1 cc=$2 include=$3
source=$(mktemp --suffix=.c)
trap 'rm -f "$source"' EXIT
awk '/^# EXAMPLE/ { section = 1; next }
     /^# / { section = 0 }
     section && /^```/ { if (block) exit; block = 1; next }
     section && block { print }' "$page" | sed 's/\\\\/\\/g' >"$source"
[ -s "$source" ] || { echo "FAIL: no C example in $page" >&2; exit 1; }
"$cc" -std=c99 -Wall -Wextra -Wpedantic -Werror -fsyntax-only -I "$include" "$source"
echo "$page: the example compiles"
