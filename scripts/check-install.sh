#!/usr/bin/env bash
# Installs the built program into a temporary prefix and checks what a learner
# gets: the installed files, the menu entry, the AppStream file, --version on
# a console without a screen, lexitor-tool --help, and a first start of the
# installed program in an empty home folder (it must create its working
# folder, reach its main window and end cleanly when closed).
# Usage: check-install.sh [build folder]   (run by CTest as test_install)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "${1:-$root/build}" && pwd)"
work="$(mktemp -d)"
pid=""
cleanup() {
  if [ -n "$pid" ]; then kill -KILL "$pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "check-install: $*" >&2; exit 1; }
for tool in desktop-file-validate appstreamcli; do
  command -v "$tool" >/dev/null || fail "$tool is missing (bash scripts/install-deps.sh desktop-file-utils appstream)"
done

prefix="$work/prefix"
cmake --install "$build" --prefix "$prefix" >/dev/null
app_id="$(sed -n 's/^LEXITOR_APP_ID:[A-Z]*=//p' "$build/CMakeCache.txt")"
[ -n "$app_id" ] || fail "no LEXITOR_APP_ID in $build/CMakeCache.txt"

# Exactly these files: the program, its shared files, the menu entry, the
# icon and the AppStream file; no library, header or test.
{
  echo "bin/lexitor"
  echo "bin/lexitor-tool"
  echo "share/applications/$app_id.desktop"
  echo "share/metainfo/$app_id.metainfo.xml"
  echo "share/mime/packages/$app_id.xml"
  echo "share/icons/hicolor/scalable/apps/lexitor.svg"
  for size in 16 24 32 48 64 128 256; do
    echo "share/icons/hicolor/${size}x${size}/apps/lexitor.png"
  done
  for f in "$root"/examples/*.xml; do echo "share/lexitor/examples/$(basename "$f")"; done
  for f in "$root"/examples/sounds/*; do echo "share/lexitor/sounds/$(basename "$f")"; done
  for f in "$build"/icons/*.png; do echo "share/lexitor/icons/$(basename "$f")"; done
} | sort > "$work/expected"
(cd "$prefix" && find . -type f -o -type l | sed 's|^\./||' | sort) > "$work/installed"
diff -u "$work/expected" "$work/installed" || fail "the installed files differ from the list above"
# Every button picture drawn in icons/ is installed.
for svg in "$root"/icons/*.svg; do
  name="$(basename "$svg" .svg)"
  [ -s "$prefix/share/lexitor/icons/$name.png" ] || fail "no installed picture $name.png"
done
[ -x "$prefix/bin/lexitor" ] || fail "bin/lexitor is not executable"
# The command-line tool runs without a screen and documents its commands.
tool_help="$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM LC_ALL=C.UTF-8 LANG=C.UTF-8 \
  "$prefix/bin/lexitor-tool" --help)" || fail "lexitor-tool --help failed"
for command in check export import stats; do
  printf '%s\n' "$tool_help" | grep -q "^  $command " || fail "lexitor-tool --help lacks $command"
done

desktop-file-validate "$prefix/share/applications/$app_id.desktop"
appstreamcli validate --no-net "$prefix/share/metainfo/$app_id.metainfo.xml" >"$work/appstream.txt" ||
  { cat "$work/appstream.txt"; fail "appstreamcli validate failed"; }
grep -qx 'Icon=lexitor' "$prefix/share/applications/$app_id.desktop" || fail "the menu entry names another icon"
# The menu entry opens the program's own file type, not every XML file, and
# the MIME file declares it: *.xml files whose root element is "words".
mime="$prefix/share/mime/packages/$app_id.xml"
grep -qx 'MimeType=application/x-lexitor-dictionary;' "$prefix/share/applications/$app_id.desktop" ||
  fail "the menu entry does not open application/x-lexitor-dictionary"
grep -q '<mime-type type="application/x-lexitor-dictionary">' "$mime" || fail "no MIME type in $mime"
grep -q '<glob pattern="\*.xml"/>' "$mime" || fail "the MIME type has no *.xml glob"
grep -q '<root-XML namespaceURI="" localName="words"/>' "$mime" || fail "the MIME type has no root element words"
if command -v xmllint >/dev/null; then xmllint --noout "$mime" || fail "$mime is not well-formed"; fi
if command -v update-mime-database >/dev/null; then
  mkdir -p "$work/mime/packages"
  cp "$mime" "$work/mime/packages/"
  update-mime-database "$work/mime" >/dev/null 2>&1 || fail "update-mime-database refuses $mime"
  grep -q 'application/x-lexitor-dictionary' "$work/mime/types" || fail "the MIME database lacks the type"
fi

# --version needs no screen, and the AppStream release is this version.
version_text="$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM LC_ALL=C.UTF-8 LANG=C.UTF-8 \
  "$prefix/bin/lexitor" --version)" || fail "lexitor --version failed"
version="$(printf '%s\n' "$version_text" | sed -n '1s/^Lexitor \([0-9.]*\)$/\1/p')"
[ -n "$version" ] || fail "unexpected --version output: $version_text"
grep -q "<release version=\"$version\"" "$prefix/share/metainfo/$app_id.metainfo.xml" ||
  fail "the AppStream file has no release $version"

# A first start in an empty home, from an empty folder, as from the menu.
home="$work/home"
mkdir -p "$home" "$work/start"
folder="$home/.local/share/lexitor"
(cd "$work/start" && exec env -u XDG_DATA_HOME -u XDG_CONFIG_HOME HOME="$home" \
  QT_QPA_PLATFORM=offscreen "$prefix/bin/lexitor" >"$work/run.txt" 2>&1) &
pid=$!
for _ in $(seq 300); do
  [ -f "$folder/settings.ini" ] && break
  kill -0 "$pid" 2>/dev/null || { cat "$work/run.txt"; fail "the program ended before creating $folder"; }
  sleep 0.1
done
[ -f "$folder/settings.ini" ] || fail "no working folder $folder after 30 s"
# Closed as a desktop closes it at logout: the window closes as if the user
# had closed it, writing its settings.
kill -TERM "$pid"
for _ in $(seq 300); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
rc=0
wait "$pid" || rc=$?
pid=""
[ "$rc" -eq 0 ] || { cat "$work/run.txt"; fail "the program ended with code $rc"; }
grep -q '^\[MAIN_FORM\]' "$folder/settings.ini" || fail "the window did not write its settings at close"
[ -f "$folder/settings_filter.ini" ] || fail "no settings_filter.ini after close"
# Nothing in the user's folder points into the installed files, which go
# when the package is removed: the pictures are found where they are installed.
links="$(find "$folder" -type l)"
[ -z "$links" ] || fail "links into the installed files in $folder: $links"
[ -d "$folder/sounds" ] || fail "no sounds folder"
for f in "$root"/examples/*.xml; do
  [ -s "$folder/examples/$(basename "$f")" ] || fail "example $(basename "$f") not offered"
done
grep -q "^dict_dir=$folder/examples" "$folder/settings.ini" || fail "the open dialog does not start in the examples"
echo "check-install: the installed program, its menu entry and its first start are in order"
