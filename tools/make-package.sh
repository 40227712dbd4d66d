#!/usr/bin/env bash
# Makes the Debian package fotolark_<version>_amd64.deb from a built tree and checks what it
# ships: lintian (no error), the desktop entry (desktop-file-validate) and the AppStream
# metadata (appstreamcli validate --no-net).
#   tools/make-package.sh BUILD_DIR     the package lands in BUILD_DIR/package/
set -euo pipefail
cd "$(dirname "$0")/.."

build_dir=${1:?usage: $0 BUILD_DIR}
package_dir=$build_dir/package

rm -f "$package_dir"/fotolark_*.deb
cpack --config "$build_dir/CPackConfig.cmake" -B "$package_dir" >/dev/null
deb=$(ls "$package_dir"/fotolark_*_amd64.deb)
echo "Made $deb"

# Every finding is shown; only errors fail the check.
lintian --fail-on error --info "$deb"

contents=$(mktemp -d)
trap 'rm -rf "$contents"' EXIT
dpkg-deb -x "$deb" "$contents"
desktop-file-validate "$contents"/usr/share/applications/*.desktop
appstreamcli validate --no-net "$contents"/usr/share/metainfo/*.metainfo.xml
