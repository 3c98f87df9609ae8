#!/bin/sh
# Makes the Debian package of the build with CPack and checks with dpkg-deb
# what it holds and what it depends on: the programs, their private libraries
# and packs under /usr/lib/qlr-learn/ and nothing of ours directly in
# /usr/lib, the desktop entries, icon, manual pages, metainfo and completion,
# and Debian's packages of the libraries the programs link.
#
#   PackageTest.sh CPACK CPACK_CONFIG PACK...
set -u
cpack=$1
config=$2
shift 2

. "$(dirname "$0")/Problems.sh"
scratch qlr-package

if ! "$cpack" -G DEB --config "$config" -B "$top" >"$top/cpack.log" 2>&1; then
    cat "$top/cpack.log"
    echo "FAIL: cpack -G DEB"
    exit 1
fi
package=$(ls "$top"/qlr-learn_*.deb 2>/dev/null)
[ -f "$package" ] || { echo "FAIL: no qlr-learn_*.deb made: $(ls "$top")"; exit 1; }

files=$(dpkg-deb -c "$package" | awk '{ print $NF }' | sed 's|^\./|/|') || problem "dpkg-deb -c fails"
for file in /usr/bin/qlr-learn /usr/bin/qlr-remote /usr/bin/qlr-original /usr/bin/qlr-learn-virtual \
    /usr/lib/qlr-learn/librcport.so /usr/lib/qlr-learn/libConLCode.so \
    /usr/share/applications/org.qlr815.learn.desktop /usr/share/applications/org.qlr815.learn.virtual.desktop \
    /usr/share/icons/hicolor/scalable/apps/qlr-learn.svg /usr/share/man/man1/qlr-learn.1.gz \
    /usr/share/man/man1/qlr-remote.1.gz /usr/share/metainfo/org.qlr815.learn.metainfo.xml \
    /usr/share/bash-completion/completions/qlr-remote; do
    echo "$files" | grep -qx "$file" || problem "the package has no $file"
done
for pack in "$@"; do
    echo "$files" | grep -qx "/usr/lib/qlr-learn/$pack.rcc" || problem "the package has no $pack.rcc"
done
shared=$(echo "$files" | grep -E '^/usr/lib/[^/]+$')
[ -z "$shared" ] || problem "the package puts files directly into /usr/lib: $shared"

[ "$(dpkg-deb -f "$package" Package)" = qlr-learn ] || problem "the package is not called qlr-learn"
depends=$(dpkg-deb -f "$package" Depends)
for dependency in libqt6widgets6 libqt6gui6 libqt6core6 libgif7 libjpeg62-turbo libc6 libstdc++6; do
    echo ", $depends," | grep -q ", $dependency[ ,(]" || problem "Depends lacks $dependency: $depends"
done
case "$depends" in
*rcport* | *ConLCode* | *qlr*) problem "Depends names a library of ours: $depends" ;;
esac

[ "$problems" -eq 0 ] || exit 1
echo "package sound: $(basename "$package"), Depends: $depends"
