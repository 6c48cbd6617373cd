#!/usr/bin/env bash
# Runs the bash completion of vessa as bash-completion loads it, on command
# lines typed up to a TAB, and checks that its option lists match what the
# tool's --help lists.
#   bash_completion_test.sh COMPLETION_FILE TOOL [BASH_COMPLETION_SCRIPT]
set -uo pipefail
completion=$1 tool=$2
framework=${3:-/usr/share/bash-completion/bash_completion}
# shellcheck disable=SC1090
source "$framework" || { echo "FAIL: cannot load $framework" >&2; exit 1; }
# shellcheck disable=SC1090
source "$completion"
set +e

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
touch alice.key alice.pub notes.txt
mkdir archive

failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

# The candidates for a line typed up to its end, sorted, on one line.
complete_line() {
    COMP_LINE=$1
    COMP_POINT=${#COMP_LINE}
    read -ra COMP_WORDS <<<"$COMP_LINE"
    [[ $COMP_LINE == *" " ]] && COMP_WORDS+=("")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMPREPLY=()
    _vessa vessa "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
    printf '%s\n' "${COMPREPLY[@]}" | sort | xargs
}

# line | expected candidates
while IFS='|' read -r line expected; do
    got=$(complete_line "$line")
    [[ $got == "$expected" ]] || fail "'$line<TAB>' gives '$got', expected '$expected'"
done <<'CASES'
vessa s|sign
vessa |bench decrypt demo encrypt fingerprint help keygen pubkey sign verify
vessa --|--help --version
vessa de|decrypt demo
vessa sign --k|--key
vessa sign --|--force --help --in --key --message --out
vessa verify --q|--quiet
vessa verify --sig|--signature --signature-file
vessa encrypt --b|--binary
vessa bench --|--help --iterations --quick
vessa help e|encrypt
vessa help sign |
vessa sign --key al|alice.key alice.pub
vessa sign --key |alice.key alice.pub archive notes.txt
vessa verify -k alice.pub --signature-file a|alice.key alice.pub archive
vessa decrypt --in n|notes.txt
vessa keygen -o ar|archive
vessa sign --message |
vessa verify --signature |
CASES

# Every command of 'vessa --help' is completed, and each command's options
# are exactly those its --help lists.
listed=$("$tool" --help | sed -n '/^commands:/,/^$/p' | sed -n 's/^  \([a-z][a-z]*\) .*/\1/p' | sort | xargs)
offered=$(echo "$_vessa_commands" | tr ' ' '\n' | grep -vx help | sort | xargs)
[[ $listed == "$offered" ]] || fail "commands: 'vessa --help' lists '$listed', completion offers '$offered'"
for command in $listed; do
    listed=$("$tool" "$command" --help | sed -n '/^options:/,$p' | grep -E '^ +-' |
        sed -E 's/^ +//; s/  .*//; s/ [A-Z]+( |$)/\1/g; s/,/ /g' | tr ' ' '\n' | grep . | sort | xargs)
    offered=$(_vessa_options "$command" | tr ' ' '\n' | sort | xargs)
    [[ $listed == "$offered" ]] ||
        fail "$command: its --help lists '$listed', completion offers '$offered'"
done

[ "$failures" -eq 0 ] || exit 1
echo "bash completion: all cases pass"
