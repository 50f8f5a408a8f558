#!/bin/sh
# Builds the Debian package, unpacks it into a scratch root with dpkg -x, checks that the
# installed files are there and that the program answers --version offscreen; then
# installs with cmake --install into a scratch prefix and checks the user guide there.
# Usage: checkpackage.sh CPACK BUILD_DIR SCRATCH_DIR VERSION CMAKE
set -eu
cpack=$1 build=$2 scratch=$3 version=$4 cmake=$5

fail() { echo "FAIL: $*" >&2; exit 1; }

rm -rf "$scratch"
mkdir -p "$scratch/root"
(cd "$build" && "$cpack" -G DEB -B "$scratch" --config "$build/CPackConfig.cmake") >"$scratch/cpack.log" 2>&1 \
    || { cat "$scratch/cpack.log"; fail "cpack"; }
set -- "$scratch"/*.deb
[ $# -eq 1 ] && [ -f "$1" ] || fail "expected one .deb in $scratch"
deb=$1

dpkg -x "$deb" "$scratch/root"
fields=$(dpkg --field "$deb" Package Depends Recommends)
echo "$fields"
for expected in "Package: tarnwick" libqt6core6 libqt6gui6 libqt6widgets6 libqt6svg6 qt6-qpa-plugins \
                "Recommends: qt6-translations-l10n"; do
    case $fields in *"$expected"*) ;; *) fail "package fields lack \"$expected\"" ;; esac
done
case $fields in *-dev*) fail "package depends on a development package" ;; esac

root=$scratch/root/usr
guide=share/doc/tarnwick/guide.html
for file in share/applications/tarnwick.desktop share/mime/packages/tarnwick.xml \
            share/icons/hicolor/scalable/apps/tarnwick.svg $guide; do
    [ -s "$root/$file" ] || fail "missing from the package: /usr/$file"
done
for size in 16 32 48 64 128 256; do
    [ -s "$root/share/icons/hicolor/${size}x$size/apps/tarnwick.png" ] \
        || fail "missing from the package: the ${size}x$size icon"
done

program=$root/bin/tarnwick
[ -x "$program" ] || fail "missing from the package: /usr/bin/tarnwick"
# A packaged program finds its libraries where the system keeps them, not through a
# search path of its own.
if command -v readelf >/dev/null && readelf -d "$program" | grep -q -E 'RPATH|RUNPATH'; then
    fail "/usr/bin/tarnwick carries a library search path"
fi

output=$(QT_QPA_PLATFORM=offscreen timeout 30 "$program" --version) || fail "tarnwick --version: exit $?"
echo "tarnwick --version: $output"
case $output in *"$version"*) ;; *) fail "tarnwick --version does not name version $version" ;; esac
grep -q '<html lang="zh-CN">' "$root/$guide" || fail "/usr/$guide is not the Chinese user guide"

# cmake --install runs the same rules; the guide lands under the prefix's doc folder.
"$cmake" --install "$build" --prefix "$scratch/install" >"$scratch/install.log" 2>&1 \
    || { cat "$scratch/install.log"; fail "cmake --install"; }
[ -s "$scratch/install/$guide" ] || fail "cmake --install left out $guide"
[ -x "$scratch/install/bin/tarnwick" ] || fail "cmake --install left out bin/tarnwick"
# The program looks for the guide relative to its own folder (its texts are UTF-16).
for program in "$program" "$scratch/install/bin/tarnwick"; do
    tr -d '\000' <"$program" | grep -q '\.\./share/doc/tarnwick/guide\.html' \
        || fail "$program does not look for ../$guide"
done
echo "package check passed: $deb"
