#!/usr/bin/env bash
# Renders a manual page as man(1) shows it at 80 columns and fails on any
# warning from the formatter, or when the page renders empty.
#   manpage_render_test.sh PAGE
set -euo pipefail
page=$1
out=$(mktemp)
err=$(mktemp)
trap 'rm -f "$out" "$err"' EXIT
MANWIDTH=80 man --warnings -l "$page" >"$out" 2>"$err"
if [ -s "$err" ]; then
  echo "FAIL: $page renders with warnings:" >&2
  cat "$err" >&2
  exit 1
fi
grep -q '^NAME' "$out" || { echo "FAIL: $page renders without a NAME section" >&2; exit 1; }
echo "$page: $(wc -l <"$out") lines, no warning"
