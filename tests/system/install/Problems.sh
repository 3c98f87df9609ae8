# Sourced by the checks of the installed tree and of the package: a scratch
# folder removed when the check ends, and problems counted as found.

# scratch NAME: a fresh folder, $top.
scratch()
{
    top=$(mktemp -d "${TMPDIR:-/tmp}/$1.XXXXXX") || exit 1
    trap 'rm -rf "$top"' EXIT
}

problems=0
problem()
{
    echo "FAIL: $*"
    problems=$((problems + 1))
}
