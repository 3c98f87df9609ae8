#!/bin/bash
# Sources qlr-remote's bash completion and completes command lines as bash
# would on a tab: the commands (read from the program's help), the files,
# options, protocols and .ir buttons of press, and the arguments of the
# other commands.
#
#   CompletionTest.sh COMPLETION QLR_REMOTE
set -u
source "$1" || exit 1
program=$2
problems=0

cd "$(mktemp -d "${TMPDIR:-/tmp}/qlr-completion.XXXXXX")" || exit 1
trap 'rm -rf "$PWD"' EXIT
printf 'Filetype: IR signals file\nname: Power\ntype: parsed\nname: Vol up\ntype: parsed\n' >tv.ir
: >nec-power.txt

# complete "LINE" EXPECTED: the completions of LINE's last word, one a line, sorted.
complete_line()
{
    local line=$1 expected=$2
    read -r -a COMP_WORDS <<<"$line"
    [[ $line == *" " ]] && COMP_WORDS+=("")
    COMP_WORDS[0]=$program
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    _qlr_remote
    local got
    got=$(printf '%s\n' "${COMPREPLY[@]}" | sort | paste -sd ' ')
    [ "$got" = "$expected" ] || { echo "FAIL: '$line' completes to '$got', not '$expected'"; problems=$((problems + 1)); }
}

complete_line "qlr-remote s" "send serve status"
complete_line "qlr-remote --socket /tmp/x r" "reset roundtrip"
complete_line "qlr-remote --so" "--socket"
complete_line "qlr-remote help pr" "press"
complete_line "qlr-remote press n" "nec-power.txt"
complete_line "qlr-remote press --pr" "--pronto --protocol"
complete_line "qlr-remote press --protocol NECx1" "NECx1 NECx1-f16"
complete_line "qlr-remote press tv.ir --button " "Power Vol up"
complete_line "qlr-remote identity o" "original other"
complete_line "qlr-remote send A" "AMP AUX"
complete_line "qlr-remote send TV " ""

[ "$problems" -eq 0 ] || exit 1
echo "completion sound"
