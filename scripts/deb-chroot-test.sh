#!/usr/bin/env bash
# Installs the Debian package into a fresh Debian 12 made with debootstrap, runs the installed program
# (--version, --help and a headless export of a short WAV file), then purges it and checks that none of
# its files is left. Needs root (debootstrap, chroot, mounts) and the Debian mirror this machine's apt
# uses; it is not part of `make test`.
# Usage: sudo scripts/deb-chroot-test.sh path/to/ondrix_VERSION_ARCH.deb [--keep]
set -euo pipefail

deb="$(realpath "$1")"
keep="${2:-}"
[ "$(id -u)" -eq 0 ] || { echo "deb-chroot-test: run as root" >&2; exit 2; }
[ -f "$deb" ] || { echo "deb-chroot-test: no package $deb" >&2; exit 2; }

# The Debian archive of this machine's apt sources (not the security one).
mirror="$(cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources 2>/dev/null |
  sed -n -e 's/^URIs:[[:space:]]*//p' -e 's/^deb[[:space:]]\+\(\[[^]]*\][[:space:]]\+\)\?\([^[:space:]]*\).*/\2/p' |
  tr ' ' '\n' | awk '/\/debian\/?$/ && !found {print; found = 1}' || true)"
[ -n "$mirror" ] || { echo "deb-chroot-test: no Debian mirror in the apt sources" >&2; exit 2; }

root="$(mktemp -d /var/tmp/ondrix-chroot.XXXXXX)"
chmod 755 "$root" # it becomes "/", which apt's own user must be able to enter
cleanup() {
  umount "$root/dev/pts" 2>/dev/null || true
  umount "$root/proc" 2>/dev/null || true
  if [ "$keep" = --keep ]; then
    echo "deb-chroot-test: kept $root"
  else
    rm -rf --one-file-system "$root"
  fi
}
trap cleanup EXIT
step() { echo "== $*"; }
in_root() {
  chroot "$root" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 \
    DEBIAN_FRONTEND=noninteractive "$@"
}

step "debootstrap bookworm from $mirror"
debootstrap --variant=minbase bookworm "$root" "$mirror" >"$root.debootstrap.log" 2>&1 ||
  { tail -n 20 "$root.debootstrap.log" >&2; exit 1; }
rm -f "$root.debootstrap.log"
mount -t proc proc "$root/proc"
mount -t devpts -o newinstance,ptmxmode=0666 devpts "$root/dev/pts"
package="$(basename "$deb")"
cp "$deb" "$root/tmp/$package"

step "apt-get install ./$package"
in_root apt-get update -qq
in_root sh -c "cd /tmp && apt-get install -y -qq ./$package" >/dev/null
in_root dpkg-query -W ondrix

step "ondrix --version"
version="$(in_root ondrix --version)"
echo "$version"
in_root ondrix --help >/dev/null

# A second of silence as 16-bit mono 48 kHz WAV, analysed by the installed program without a display.
step "ondrix --export (headless)"
in_root sh -c 'printf "RIFF\044\167\001\000WAVEfmt \020\000\000\000\001\000\001\000\200\273\000\000\000\167\001\000\002\000\020\000data\000\167\001\000" >/tmp/silence.wav &&
  head -c 96000 /dev/zero >>/tmp/silence.wav && mkdir -p /tmp/pages &&
  ondrix --export /tmp/pages --home /tmp/home /tmp/silence.wav && ls /tmp/pages'

step "apt-get purge ondrix"
# The package's files (not its folders), listed while it is installed.
in_root sh -c 'dpkg-query -L ondrix | while read -r p; do [ -d "$p" ] || echo "$p"; done' >"$root/tmp/files.txt"
in_root sh -c 'apt-get purge -y -qq ondrix && apt-get autoremove --purge -y -qq' >/dev/null
if in_root dpkg-query -W ondrix >/dev/null 2>&1 && in_root dpkg-query -W -f='${Status}' ondrix | grep -q installed; then
  echo "deb-chroot-test: ondrix is still installed" >&2
  exit 1
fi
left=0
files=0
while IFS= read -r path; do
  files=$((files + 1))
  if [ -e "$root$path" ] || [ -L "$root$path" ]; then
    echo "deb-chroot-test: left behind: $path" >&2
    left=1
  fi
done <"$root/tmp/files.txt"
[ "$left" -eq 0 ] || exit 1
echo "removed: none of the package's $files files is left, dpkg knows no ondrix package"
echo "deb-chroot-test: passed ($version)"
