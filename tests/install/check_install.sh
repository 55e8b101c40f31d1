#!/usr/bin/env bash
# Installs a built tree into a scratch prefix and checks what a desktop needs:
# the program, a valid desktop entry, valid AppStream data, the icon at the
# usual sizes, the licence; then builds the Debian package and reads its
# control data and file list back.
set -euo pipefail
build=$1
src=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null
app=org.cloakwell.Cloakwell
[ -x "$prefix/bin/cloakwell" ] || fail "no program in bin"
desktop-file-validate "$prefix/share/applications/$app.desktop" || fail "desktop entry"
appstreamcli validate --no-net "$prefix/share/metainfo/$app.metainfo.xml" >/dev/null ||
  fail "AppStream data"
for size in 16 22 24 32 48 64 128 256; do
  [ -s "$prefix/share/icons/hicolor/${size}x${size}/apps/$app.png" ] || fail "icon ${size}"
done
[ -s "$prefix/share/icons/hicolor/scalable/apps/$app.svg" ] || fail "scalable icon"
grep -q "GNU GENERAL PUBLIC LICENSE" "$prefix/share/doc/cloakwell/copyright" || fail "licence"
# The entry's icon name must be the one installed.
grep -qx "Icon=$app" "$prefix/share/applications/$app.desktop" || fail "icon name"
# The desktop offers Cloakwell in "Open With" for the pictures it can show.
grep -q "^MimeType=.*image/jpeg;" "$prefix/share/applications/$app.desktop" || fail "MimeType"
grep -qx "Exec=cloakwell %F" "$prefix/share/applications/$app.desktop" || fail "Exec takes files"

# --version and --help answer without a display.
version=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$prefix/bin/cloakwell" --version)
[[ $version =~ ^Cloakwell\ [0-9]+\.[0-9]+\.[0-9]+$ ]] || fail "--version printed: $version"
env -u DISPLAY -u WAYLAND_DISPLAY "$prefix/bin/cloakwell" --help | grep -q -- "--version" ||
  fail "--help"
if env -u DISPLAY "$prefix/bin/cloakwell" --no-such-option >/dev/null 2>&1; then
  fail "an unknown option was accepted"
fi

# The package: its control data and its files.
(cd "$build" && cpack -G DEB -B "$work/pkg" >/dev/null) || fail "cpack"
deb=$(ls "$work"/pkg/cloakwell_*.deb)
[ "$(dpkg-deb -f "$deb" Package)" = cloakwell ] || fail "package name"
depends=$(dpkg-deb -f "$deb" Depends)
for need in libqt6widgets6 libqt6gui6 libqt6core6 libglib2.0-0 qt6-qpa-plugins; do
  [[ $depends == *"$need"* ]] || fail "Depends lacks $need: $depends"
done
files=$(dpkg-deb -c "$deb" | awk '{print $6}')
for want in ./usr/bin/cloakwell ./usr/share/applications/$app.desktop \
            ./usr/share/metainfo/$app.metainfo.xml \
            ./usr/share/icons/hicolor/scalable/apps/$app.svg \
            ./usr/share/doc/cloakwell/copyright; do
  grep -qx -- "$want" <<<"$files" || fail "package lacks $want"
done
if grep -q -e '/tst_' -e '/bench_' -e 'build' <<<"$files"; then
  fail "package holds test or build files"
fi
echo "install and package checks passed"
