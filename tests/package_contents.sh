#!/usr/bin/env bash
# Checks the Debian package of a build folder: its name, its control fields and the files it
# installs, with their owners and modes. Skipped (status 77) when the folder holds no package.
#   package_contents.sh BUILD_DIR APP_ID VERSION
set -uo pipefail
build=$1 id=$2 version=$3
arch=$(dpkg --print-architecture)
deb="$build/vantrel_${version}_${arch}.deb"
if [ ! -f "$deb" ]; then
    echo "no package at $deb: build it with 'cpack -G DEB' first"
    exit 77
fi
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = vantrel ] || fail "Package: $(field Package)"
[ "$(field Version)" = "$version" ] || fail "Version: $(field Version)"
for dep in libc6 libqt6core6 libqt6gui6 libqt6widgets6 libqt6network6; do
    field Depends | grep -Eq "(^|, )$dep( |,|$)" || fail "Depends lacks $dep: $(field Depends)"
done
[ "$(field Recommends)" = "fonts-dejavu-core, qt6-wayland" ] || fail "Recommends: $(field Recommends)"

listing=$(dpkg-deb -c "$deb")
# mode owner path [link target], one a line
expected="-rwxr-xr-x ./usr/lib/vantrel/vantrel
lrwxrwxrwx ./usr/bin/vantrel -> ../lib/vantrel/vantrel
-rw-r--r-- ./usr/share/applications/$id.desktop
-rw-r--r-- ./usr/share/metainfo/$id.metainfo.xml
-rw-r--r-- ./usr/share/icons/hicolor/scalable/apps/vantrel.svg
-rw-r--r-- ./usr/share/icons/hicolor/32x32/apps/vantrel.png
-rw-r--r-- ./usr/share/icons/hicolor/64x64/apps/vantrel.png
-rw-r--r-- ./usr/share/icons/hicolor/128x128/apps/vantrel.png
-rw-r--r-- ./usr/share/man/man1/vantrel.1.gz
-rw-r--r-- ./usr/share/doc/vantrel/copyright
-rw-r--r-- ./usr/share/doc/vantrel/changelog.gz"
while read -r mode path rest; do
    line=$(awk -v p="$path" '$6 == p' <<<"$listing")
    [ -n "$line" ] || { fail "missing $path"; continue; }
    read -r got_mode owner _ _ _ _ arrow target <<<"$line"
    [ "$got_mode" = "$mode" ] || fail "$path has mode $got_mode, not $mode"
    [ "$owner" = root/root ] || fail "$path belongs to $owner"
    [ -z "$rest" ] || [ "$arrow $target" = "$rest" ] || fail "$path links to $target"
done <<<"$expected"
# Nothing else in the program folder, and every folder is root's and 0755.
awk '$6 ~ /^\.\/usr\/lib\/vantrel\/./ && $6 != "./usr/lib/vantrel/vantrel" { print "FAIL: extra " $6 }' \
    <<<"$listing" | grep . && failures=$((failures + 1))
awk '$1 ~ /^d/ && ($1 != "drwxr-xr-x" || $2 != "root/root") { print "FAIL: folder " $6 " " $1 " " $2 }' \
    <<<"$listing" | grep . && failures=$((failures + 1))
awk '$6 !~ /^\.\/usr\// && $6 != "./" { print "FAIL: outside /usr: " $6 }' \
    <<<"$listing" | grep . && failures=$((failures + 1))

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"
file "$root/usr/lib/vantrel/vantrel" | grep -q ', stripped' || fail "the program is not stripped"
grep -qx 'Exec=vantrel' "$root/usr/share/applications/$id.desktop" || fail "Exec is not 'vantrel'"
grep -q "<id>$id</id>" "$root/usr/share/metainfo/$id.metainfo.xml" || fail "metainfo id"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" \
    "$root/usr/share/metainfo/$id.metainfo.xml" || fail "metainfo does not launch $id.desktop"
for gz in usr/share/man/man1/vantrel.1.gz usr/share/doc/vantrel/changelog.gz; do
    # Reproducible: no file name or time stamp in the gzip header.
    [ "$(od -An -tx1 -j3 -N5 "$root/$gz" | tr -d ' ')" = 0000000000 ] || fail "$gz has a name or time stamp"
done
man=$(gzip -dc "$root/usr/share/man/man1/vantrel.1.gz")
for section in NAME SYNOPSIS DESCRIPTION FILES ENVIRONMENT; do
    grep -q "^\.SH $section" <<<"$man" || fail "the manual page has no $section section"
done
gzip -dc "$root/usr/share/doc/vantrel/changelog.gz" | head -1 | grep -q "^vantrel ($version) " ||
    fail "the changelog does not start with this version"
head -1 "$root/usr/share/doc/vantrel/copyright" |
    grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' ||
    fail "copyright is not in the machine-readable format"
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$root/usr/share/applications/$id.desktop" || fail "desktop entry"
fi
if command -v appstreamcli >/dev/null; then
    appstreamcli validate --no-net "$root/usr/share/metainfo/$id.metainfo.xml" || fail "metainfo"
fi

[ "$failures" -eq 0 ] && echo "package contents as expected: $deb"
exit $((failures > 0))
