#!/usr/bin/env bash
# The installed tree and the Debian package hold every file where the desktop and the help
# viewer expect them, and the desktop entry and AppStream metadata validate.
#   check_install.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
src=$1 build=$2 work=$(mktemp -d) id=org.tansy.IniEditor
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
desktop-file-validate "$src/packaging/$id.desktop" || fail "desktop entry"
appstreamcli validate --no-net "$src/packaging/$id.metainfo.xml" >/dev/null || fail "metainfo"
grep -qx 'Exec=tansy-ini-editor' "$src/packaging/$id.desktop" || fail "Exec takes no file argument"

expect_tree() {  # ROOT: the prefix's contents. The help viewer looks in ../share/tansy-ini-editor
  # beside the program's folder; the browser's library, loaded when its window first opens,
  # lies in the program's folder under the library folder, and the program is not linked to it.
  for f in bin/tansy-ini-editor share/tansy-ini-editor/{Zeruradu.hlp,help-found.png} \
           share/tansy-ini-editor/help-search.png share/applications/$id.desktop \
           share/metainfo/$id.metainfo.xml share/man/man1/tansy-ini-editor.1.gz \
           share/icons/hicolor/{32x32,256x256}/apps/$id.png; do
    [ -e "$1/$f" ] || fail "$1/$f missing"
  done
  [ -x "$1/bin/tansy-ini-editor" ] || fail "program not executable"
  cmp -s "$src/resources/help/Zeruradu.hlp" "$1/bin/../share/tansy-ini-editor/Zeruradu.hlp" ||
    fail "installed help differs"
  file "$1/share/icons/hicolor/32x32/apps/$id.png" | grep -q '32 x 32' || fail "32x32 icon"
  compgen -G "$1/lib/*/tansy-ini-editor/libtansy-browser.so" >/dev/null ||
    fail "browser library missing"
  ! readelf -d "$1/bin/tansy-ini-editor" | grep -q WebEngine ||
    fail "program linked to the web engine"
}
DESTDIR="$work/dest" cmake --install "$build" --prefix /usr/local >/dev/null
expect_tree "$work/dest/usr/local" && echo "install tree: ok"

(cd "$work" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/pkg" >/dev/null)
deb=$(ls "$work"/pkg/*.deb)
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package) $(field Version)" = "tansy-ini-editor 3.0.3" ] ||
  fail "name and version: $(field Package) $(field Version)"
field Depends | grep -q libqscintilla2-qt6 || fail "dependencies not found by dpkg-shlibdeps"
field Depends | grep -q libqt6webenginewidgets6 || fail "browser library's dependencies"
[ -n "$(field Maintainer)" ] && [ -n "$(field Description)" ] || fail "maintainer or description"
dpkg -x "$deb" "$work/root"
expect_tree "$work/root/usr"
# Debian's own checker finds nothing but the maintainer address, which stands for one until
# the project has a public address (the package's copyright file says so).
lintian --no-tag-display-limit "$deb" > "$work/lintian" 2>&1 || true
! grep -E '^[EW]:' "$work/lintian" | grep -v 'bogus-mail-host' || fail "lintian"
echo "package: ok"
dpkg -c "$deb" | awk '{print $6}'
