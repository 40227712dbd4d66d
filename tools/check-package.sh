#!/usr/bin/env bash
# Checks that the Debian package installs and works on a clean Debian 12: builds a minimal
# root with debootstrap (downloading from Debian's archive), installs the package there with
# `apt-get install ./fotolark_*.deb` as a user would, checks that the menu entry, icons, help
# and viewer are in place and that both programs start, and has the installed fotolark-disc
# write a small generated album folder to an ISO image, which xorriso then reads back.
#   tools/check-package.sh [fotolark_<version>_amd64.deb]
# The package defaults to the one `tools/build.sh package` made. Runs as root (debootstrap,
# chroot), takes minutes and needs the network, so it is not part of the test command.
# DEBIAN_MIRROR chooses another archive.
set -euo pipefail
cd "$(dirname "$0")/.."

deb=$(realpath "${1:-$(ls build-package/package/fotolark_*_amd64.deb)}")
mirror=${DEBIAN_MIRROR:-http://deb.debian.org/debian}
version=$(dpkg-deb -f "$deb" Version)
[ "$(id -u)" -eq 0 ] || { echo "check-package.sh: run it as root" >&2; exit 2; }
for tool in debootstrap xorriso; do
  command -v "$tool" >/dev/null ||
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends -o DPkg::Lock::Timeout=600 "$tool"
done

root=$(mktemp -d /var/tmp/fotolark-check.XXXXXX)
cleanup() {
  umount "$root/proc" 2>/dev/null || true
  # Never delete through a mount that is still there.
  if mountpoint -q "$root/proc"; then echo "left $root in place: $root/proc is still mounted" >&2; return; fi
  rm -rf "$root"
}
trap cleanup EXIT

fail() { echo "FAILED: $*" >&2; exit 1; }
step() { echo "== $*"; }
in_root() { chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 "$@"; }

step "A minimal Debian 12 root from $mirror"
debootstrap --variant=minbase bookworm "$root" "$mirror" >"$root.debootstrap.log" 2>&1 ||
  { tail -20 "$root.debootstrap.log"; fail "debootstrap"; }
rm -f "$root.debootstrap.log"
mount -t proc proc "$root/proc"

step "apt-get install ./$(basename "$deb")"
cp "$deb" "$root/root/"
in_root sh -c "cd /root && apt-get update -q && DEBIAN_FRONTEND=noninteractive apt-get install -y -q ./$(basename "$deb")" ||
  fail "the package does not install"

step "What the package put in place"
for file in /usr/bin/fotolark /usr/bin/fotolark-disc /usr/share/applications/org.fotolark.Fotolark.desktop \
            /usr/share/metainfo/org.fotolark.Fotolark.metainfo.xml /usr/share/icons/hicolor/scalable/apps/fotolark.svg \
            /usr/share/icons/hicolor/48x48/apps/fotolark.png /usr/share/fotolark/flk.chm \
            /usr/share/fotolark/Resources/Diorama.exe /usr/share/man/man1/fotolark.1.gz \
            /usr/share/man/man1/fotolark-disc.1.gz /usr/share/doc/fotolark/copyright; do
  [ -s "$root$file" ] || fail "$file is missing"
done
missing=$(in_root ldd /usr/bin/fotolark /usr/bin/fotolark-disc /usr/lib/x86_64-linux-gnu/qt6/plugins/platforms/libqxcb.so \
            /usr/lib/x86_64-linux-gnu/qt6/plugins/iconengines/libqsvgicon.so | grep 'not found' || true)
[ -z "$missing" ] || fail "libraries not found: $missing"
in_root dpkg -s libsane1 >/dev/null 2>&1 || fail "the recommended libsane1 was not installed"

step "Both programs start"
for program in fotolark fotolark-disc; do
  answer=$(in_root "$program" --version) || fail "$program --version"
  [ "$answer" = "$program $version" ] || fail "$program --version says '$answer', the package is $version"
  echo "$answer"
done
# The window on Qt's offscreen screen: still running after a while means it came up.
status=0
in_root env QT_QPA_PLATFORM=offscreen timeout 20 fotolark >"$root/root/fotolark.log" 2>&1 || status=$?
[ "$status" -eq 124 ] || { cat "$root/root/fotolark.log"; fail "fotolark ended with status $status"; }

step "fotolark-disc --iso on a generated album folder"
# Album files as the album library writes them: little-endian integers, counted strings.
le32() { printf "$(printf '\\x%02x\\x%02x\\x%02x\\x%02x' $(($1 & 255)) $(($1 >> 8 & 255)) $(($1 >> 16 & 255)) $(($1 >> 24 & 255)))"; }
le64() { le32 "$1"; le32 0; }
counted() { local LC_ALL=C; le32 ${#1}; printf '%s' "$1"; }
photo_record() {  # file name, caption, notes (one line, may be empty)
  local size; size=$(stat -c %s "$base/Images/$1")
  counted "$1"; counted "$2"; counted ""; le64 0; le32 "$size"; le32 "$size"
  if [ -n "$3" ]; then local LC_ALL=C; le64 $((${#3} + 2)); printf '%s\r\n' "$3"; else le64 0; fi
}
base=$root/root/albums
mkdir -p "$base/Albums/Thumbs" "$base/Images"
# A 16 x 12 baseline JPEG serves as every photo and thumbnail.
jpeg='/9j/4AAQSkZJRgABAQAAAQABAAD/2wBDAAgGBgcGBQgHBwcJCQgKDBQNDAsLDBkSEw8UHRofHh0a
HBwgJC4nICIsIxwcKDcpLDAxNDQ0Hyc5PTgyPC4zNDL/2wBDAQkJCQwLDBgNDRgyIRwhMjIyMjIy
MjIyMjIyMjIyMjIyMjIyMjIyMjIyMjIyMjIyMjIyMjIyMjIyMjIyMjIyMjL/wAARCAAMABADASIA
AhEBAxEB/8QAFgABAQEAAAAAAAAAAAAAAAAAAAUG/8QAGRAAAQUAAAAAAAAAAAAAAAAAAAITFFFh
/8QAFQEBAQAAAAAAAAAAAAAAAAAAAQT/xAAXEQADAQAAAAAAAAAAAAAAAAAAAxUW/9oADAMBAAIR
AxEAPwC5P0T9M68uw8uyHMpG2w//2Q=='
for name in 2026121000001.jpg 2026121000002.jpg 2026121000003.jpg; do
  base64 -d <<<"$jpeg" >"$base/Images/$name"
  cp "$base/Images/$name" "$base/Albums/Thumbs/$name"
done
{ counted "Summer 2004"; counted ""; counted 20261210120000.alb; le32 0; le32 0; counted ""; le32 2
  photo_record 2026121000001.jpg "At the lake" "Grandmother's house in the back"
  photo_record 2026121000002.jpg "Sunset" ""; } >"$base/Albums/20261210120000.alb"
{ counted "Garden"; counted ""; counted 20261210120100.alb; le32 0; le32 1; counted ""; le32 2
  photo_record 2026121000003.jpg "Roses" ""
  photo_record 2026121000002.jpg "Sunset" ""; } >"$base/Albums/20261210120100.alb"

in_root fotolark-disc --iso /root/albums.iso --base /root/albums --title "Fotolark check" \
  >"$root/root/disc.log" 2>&1 || { cat "$root/root/disc.log"; fail "fotolark-disc --iso"; }
! grep -q warning "$root/root/disc.log" || { cat "$root/root/disc.log"; fail "fotolark-disc warned"; }

disc=$root/root/disc
xorriso -abort_on FAILURE -osirrox on -read_fs norock -indev "$root/root/albums.iso" -extract / "$disc" >/dev/null 2>&1 ||
  fail "xorriso cannot read the image"
{ le32 2
  for album in 20261210120000.alb 20261210120100.alb; do
    le64 "$(stat -c %s "$base/Albums/$album")"; cat "$base/Albums/$album"
  done; } >"$root/root/Albums.dat"
cmp "$disc/Albums.dat" "$root/root/Albums.dat" || fail "the catalogue on the disc differs from the album files"
cmp "$disc/Diorama.exe" "$root/usr/share/fotolark/Resources/Diorama.exe" || fail "the installed viewer is not on the disc"
for name in 2026121000001.jpg 2026121000002.jpg 2026121000003.jpg; do
  cmp "$disc/Images/$name" "$base/Images/$name" && cmp "$disc/Thumbs/$name" "$base/Albums/Thumbs/$name" ||
    fail "photo $name differs on the disc"
done
[ -s "$disc/autorun.inf" ] && [ -s "$disc/title.txt" ] || fail "autorun.inf or title.txt is missing"
echo "The disc holds: $(cd "$disc" && find . -type f | sort | tr '\n' ' ')"

echo "PASSED: fotolark $version installs on a clean Debian 12 and writes a readable disc"
