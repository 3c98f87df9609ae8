#!/bin/sh
# Installs the build into a fresh prefix (with a space in its name, as a
# user's directory may have) and checks that the programs, their private
# libraries and packs, desktop entries, icon, manual pages, metainfo and
# completion are where a Linux desktop looks for them, that nothing of ours
# lies directly in the shared lib/, and that the installed programs find
# their libraries and packs from there alone, with an empty environment, also
# after the whole tree has been moved.
#
#   InstallLayoutTest.sh BUILD_DIR PROBE PACK...
set -u
build=$1
probe=$2
shift 2

. "$(dirname "$0")/Problems.sh"
scratch qlr-install
# Its real name, as the probe reports real names.
top=$(cd "$top" && pwd -P) || exit 1
prefix="$top/my prefix"

if ! cmake --install "$build" --prefix "$prefix" >"$top/install.log" 2>&1; then
    cat "$top/install.log"
    echo "FAIL: cmake --install"
    exit 1
fi

# Where everything lands.
programs="qlr-learn qlr-remote qlr-learn-virtual"
[ -e "$build/bin/qlr-original" ] && programs="$programs qlr-original"
for program in $programs; do
    [ -f "$prefix/bin/$program" ] && [ -x "$prefix/bin/$program" ] || problem "bin/$program is not an installed program"
done
for library in librcport.so libConLCode.so; do
    [ -f "$prefix/lib/qlr-learn/$library" ] || problem "lib/qlr-learn/$library is missing"
done
for pack in "$@"; do
    [ -f "$prefix/lib/qlr-learn/$pack.rcc" ] || problem "lib/qlr-learn/$pack.rcc is missing"
done
shared=$(ls -A "$prefix/lib")
[ "$shared" = qlr-learn ] || problem "the shared lib/ holds more than lib/qlr-learn/: $shared"
icon="$prefix/share/icons/hicolor/scalable/apps/qlr-learn.svg"
[ -f "$icon" ] || problem "share/icons/hicolor/scalable/apps/qlr-learn.svg is missing"
grep -q '<svg' "$icon" 2>/dev/null || problem "the icon is no SVG picture"
for file in share/man/man1/qlr-learn.1.gz share/man/man1/qlr-remote.1.gz share/metainfo/org.qlr815.learn.metainfo.xml \
    share/bash-completion/completions/qlr-remote; do
    [ -f "$prefix/$file" ] || problem "$file is missing"
done

# The desktop entries: well formed, their icon the installed one, their
# programs the installed ones by their full names (the prefix's bin need not
# be on PATH): the tool alone, and the launcher that starts the virtual remote.
for entry_program in org.qlr815.learn:qlr-learn org.qlr815.learn.virtual:qlr-learn-virtual; do
    entry="$prefix/share/applications/${entry_program%%:*}.desktop"
    if [ ! -f "$entry" ]; then
        problem "share/applications/${entry_program%%:*}.desktop is missing"
        continue
    fi
    [ "$(head -n 1 "$entry")" = "[Desktop Entry]" ] || problem "$entry does not start with [Desktop Entry]"
    for key in Type=Application Name= Exec= Icon=qlr-learn; do
        grep -q "^$key" "$entry" || problem "$entry has no $key"
    done
    exec_line=$(sed -n 's/^Exec=//p' "$entry")
    [ "$exec_line" = "\"$prefix/bin/${entry_program#*:}\"" ] || problem "$entry runs $exec_line"
    if command -v desktop-file-validate >/dev/null 2>&1; then
        desktop-file-validate "$entry" || problem "desktop-file-validate refuses $entry"
    fi
done

# Run paths: relative to the programs, never into the build tree.
for file in "$prefix"/bin/qlr-learn "$prefix"/bin/qlr-remote "$prefix"/lib/qlr-learn/*.so; do
    paths=$(readelf -d "$file" 2>/dev/null | sed -n 's/.*R\(UN\)\{0,1\}PATH.*\[\(.*\)\]/\2/p')
    case "$paths" in
    *"$build"*) problem "$file has a run path into the build tree: $paths" ;;
    esac
done
for program in qlr-learn qlr-remote; do
    paths=$(readelf -d "$prefix/bin/$program" | sed -n 's/.*RUNPATH.*\[\(.*\)\]/\1/p')
    [ "$paths" = '$ORIGIN/../lib/qlr-learn' ] || problem "bin/$program has run path '$paths', not \$ORIGIN/../lib/qlr-learn"
done
resolved=$(env -i ldd "$prefix/bin/qlr-learn")
echo "$resolved" | grep -q "not found" && problem "bin/qlr-learn misses libraries: $(echo "$resolved" | grep "not found")"
rcport=$(echo "$resolved" | sed -n 's/.*librcport\.so => \(.*\) (0x.*/\1/p')
[ "$(readlink -f "$rcport")" = "$prefix/lib/qlr-learn/librcport.so" ] || problem "bin/qlr-learn takes librcport.so from '$rcport'"

# The installed programs, from anywhere, with nothing in the environment.
cp "$probe" "$prefix/bin/qlr-install-probe" || exit 1
check_lookups()
{
    here=$1
    shift
    help=$(cd / && env -i "$here/bin/qlr-remote" --help) || problem "qlr-remote --help fails in $here"
    case "$help" in
    "Usage: qlr-remote"*) ;;
    *) problem "qlr-remote --help in $here prints: $help" ;;
    esac
    found=$(cd / && env -i QT_QPA_PLATFORM=offscreen "$here/bin/qlr-install-probe" "$@") \
        || problem "the installed tree in $here misses libraries or packs: $found"
    expected=$((2 + $#))
    [ "$(echo "$found" | grep -c " $here/lib/qlr-learn/")" -eq "$expected" ] \
        || problem "not everything found in $here/lib/qlr-learn: $found"
}
check_lookups "$prefix" "$@"
moved="$top/moved elsewhere"
mv "$prefix" "$moved" && check_lookups "$moved" "$@"

[ "$problems" -eq 0 ] || exit 1
echo "installed tree sound: $prefix"
