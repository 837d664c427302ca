#!/usr/bin/env bash
# Installs the built program into a temporary DESTDIR and checks what a desktop and a package manager
# read: every file in place, the desktop entry and the AppStream metainfo valid and naming each other's
# files, the man page rendering without warnings, `ondrix --help`/`--version` answering without a display
# and naming every option, and the Debian package holding the same files with the linked libraries as
# dependencies.
# Usage: scripts/install-test.sh BUILD_DIR
set -euo pipefail

build="$(realpath "$1")"
source="$(realpath "$(dirname "$0")/..")"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
  echo "install-test: $*" >&2
  failures=$((failures + 1))
}

root="$work/root"
DESTDIR="$root" cmake --install "$build" --prefix /usr >"$work/install.log"
usr="$root/usr"

# Every installed file, and the manual as far as the source tree has it.
expected=(
  bin/ondrix
  share/applications/ondrix.desktop
  share/metainfo/org.ondrix.ondrix.metainfo.xml
  share/icons/hicolor/scalable/apps/ondrix.svg
  share/icons/hicolor/256x256/apps/ondrix.png
  share/man/man1/ondrix.1
)
if [ -d "$source/docs/manual" ]; then
  while IFS= read -r file; do
    expected+=("share/doc/ondrix/manual/${file#"$source/docs/manual/"}")
  done < <(find "$source/docs/manual" -type f)
fi
for file in "${expected[@]}"; do
  [ -s "$usr/$file" ] || fail "missing or empty: $file"
done
[ -x "$usr/bin/ondrix" ] || fail "bin/ondrix is not executable"
[ "$(identify -format '%wx%h' "$usr/share/icons/hicolor/256x256/apps/ondrix.png")" = 256x256 ] ||
  fail "the PNG icon is not 256x256"

# The validators: exit 0 and neither errors nor warnings (hints about several main categories are fine).
desktop="$usr/share/applications/ondrix.desktop"
metainfo="$usr/share/metainfo/org.ondrix.ondrix.metainfo.xml"
if ! out="$(desktop-file-validate "$desktop" 2>&1)" || grep -qi 'error\|warning' <<<"$out"; then
  fail "desktop-file-validate: $out"
fi
appstreamcli validate --no-net "$metainfo" >"$work/appstream.txt" 2>&1 || fail "appstreamcli: $(cat "$work/appstream.txt")"
warnings="$(MANWIDTH=80 man --warnings -l "$usr/share/man/man1/ondrix.1" 2>&1 >"$work/man.txt")"
[ -z "$warnings" ] || fail "man page warnings: $warnings"

# The entry starts the installed program with the installed icon; the metainfo names the entry.
exec_name="$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")"
icon_name="$(sed -n 's/^Icon=//p' "$desktop")"
[ -x "$usr/bin/$exec_name" ] || fail "Exec=$exec_name is not an installed program"
[ -f "$usr/share/icons/hicolor/scalable/apps/$icon_name.svg" ] || fail "Icon=$icon_name is not installed"
grep -q "<launchable type=\"desktop-id\">ondrix.desktop</launchable>" "$metainfo" ||
  fail "the metainfo does not launch ondrix.desktop"

# --help and --version without a display, the version the one the metainfo and the package announce.
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$usr/bin/ondrix" --help >"$work/help.txt" ||
  fail "ondrix --help exits with $?"
version="$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$usr/bin/ondrix" --version)" ||
  fail "ondrix --version exits with $?"
release="$(sed -n 's/.*<release version="\([^"]*\)".*/\1/p' "$metainfo" | head -n 1)"
[ "$version" = "Ondrix $release" ] || fail "--version says '$version', the metainfo's release is $release"
grep -q "^\.TH ONDRIX 1 .* \"$version\"" "$usr/share/man/man1/ondrix.1" || fail "the man page is not of $version"
grep -q "^Usage: ondrix" "$work/help.txt" || fail "--help has no usage line"
for option in --home --no-splash --start --screenshot --screenshot-window --quit-after --export --width --columns \
  --no-pictures --axes --jobs --files-from --skip-existing --summary --help --version; do
  grep -q -- "^ .*$option\b" "$work/help.txt" || fail "--help does not list $option"
  grep -q -- "$option" "$work/man.txt" || fail "the man page does not describe $option"
done
for section in SYNOPSIS "WINDOW OPTIONS" "EXPORT OPTIONS" "EXIT STATUS" ENVIRONMENT FILES; do
  grep -q "^$section" "$work/man.txt" || fail "the man page has no $section section"
done

# The package: the same files under /usr, and the dependencies of the linked libraries.
cpack --config "$build/CPackConfig.cmake" -B "$work/package" >"$work/cpack.log" 2>&1 ||
  fail "cpack: $(tail -n 5 "$work/cpack.log")"
deb="$(find "$work/package" -maxdepth 1 -name "ondrix_${release}_*.deb" | head -n 1)"
if [ -z "$deb" ]; then
  fail "no ondrix_${release}_*.deb"
else
  dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $NF}' | sed 's|^\./usr/||' | sort >"$work/deb-files.txt"
  printf '%s\n' "${expected[@]}" | sort | diff - "$work/deb-files.txt" >&2 || fail "the package's files differ"
  depends="$(dpkg-deb -f "$deb" Depends)"
  for library in libqt6widgets6 libqt6network6 libqt6serialport6 libfftw3-single3 libportaudio2 libcdio19; do
    grep -q "$library" <<<"$depends" || fail "Depends lacks $library: $depends"
  done
fi

[ "$failures" -eq 0 ] || exit 1
echo "install-test: ${#expected[@]} files installed and checked"
