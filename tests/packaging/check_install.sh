#!/usr/bin/env bash
# The installed tree and the Debian package hold every file where the desktop and the help
# viewer expect them, and the desktop entry and AppStream metadata validate.
#   check_install.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
src=$1
build=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
id=org.tansy.IniEditor
fail() { echo "FAIL: $*" >&2; exit 1; }

desktop-file-validate "$src/packaging/$id.desktop" || fail "desktop entry"
appstreamcli validate --no-net "$src/packaging/$id.metainfo.xml" >/dev/null || fail "metainfo"
grep -qx 'Exec=tansy-ini-editor' "$src/packaging/$id.desktop" || fail "Exec takes no file argument"

expect_tree() {  # ROOT PREFIX
  local root=$1 prefix=$2
  for f in bin/tansy-ini-editor share/tansy-ini-editor/Zeruradu.hlp \
           share/tansy-ini-editor/help-found.png share/tansy-ini-editor/help-search.png \
           share/applications/$id.desktop share/metainfo/$id.metainfo.xml \
           share/icons/hicolor/32x32/apps/$id.png share/icons/hicolor/256x256/apps/$id.png; do
    [ -e "$root$prefix/$f" ] || fail "$root$prefix/$f missing"
  done
  [ -x "$root$prefix/bin/tansy-ini-editor" ] || fail "program not executable"
  # The help viewer looks in ../share/tansy-ini-editor beside the program's folder.
  [ -f "$root$prefix/bin/../share/tansy-ini-editor/Zeruradu.hlp" ] || fail "help not beside bin"
  cmp -s "$src/resources/help/Zeruradu.hlp" "$root$prefix/share/tansy-ini-editor/Zeruradu.hlp" \
    || fail "installed help differs"
  file "$root$prefix/share/icons/hicolor/32x32/apps/$id.png" | grep -q '32 x 32' || fail "32x32 icon"
  # The web browser's library, loaded when its window first opens, from the program's folder
  # under the library folder; the program itself does not load the web engine at start.
  compgen -G "$root$prefix/lib/*/tansy-ini-editor/libtansy-browser.so" >/dev/null \
    || fail "browser library missing"
  [ -f "$root$prefix/share/man/man1/tansy-ini-editor.1.gz" ] || fail "manual page missing"
  ! readelf -d "$root$prefix/bin/tansy-ini-editor" | grep -q WebEngine \
    || fail "program linked to the web engine"
}

DESTDIR="$work/dest" cmake --install "$build" --prefix /usr/local >/dev/null
expect_tree "$work/dest" /usr/local
echo "install tree: ok"

(cd "$work" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/pkg" >/dev/null)
deb=$(ls "$work"/pkg/*.deb)
[ "$(dpkg-deb -f "$deb" Package)" = tansy-ini-editor ] || fail "package name"
[ "$(dpkg-deb -f "$deb" Version)" = 3.0.3 ] || fail "version $(dpkg-deb -f "$deb" Version)"
dpkg-deb -f "$deb" Depends | grep -q libqscintilla2-qt6 || fail "dependencies not found by dpkg-shlibdeps"
dpkg-deb -f "$deb" Depends | grep -q libqt6webenginewidgets6 || fail "browser library's dependencies"
[ -n "$(dpkg-deb -f "$deb" Maintainer)" ] || fail "maintainer"
[ -n "$(dpkg-deb -f "$deb" Description)" ] || fail "description"
dpkg -x "$deb" "$work/root"
expect_tree "$work/root" /usr
# Debian's own checker finds nothing but the maintainer address, which stands for one until
# the project has a public address (the package's copyright file says so).
lintian --no-tag-display-limit "$deb" > "$work/lintian" 2>&1 || true
if grep -E '^[EW]:' "$work/lintian" | grep -v 'bogus-mail-host'; then
  fail "lintian"
fi
echo "package: ok"
dpkg -c "$deb" | awk '{print $6}'
