#!/usr/bin/env bash
# Set up a Debian 12 machine for Fotolark, build it, and then run it or its tests.
#   tools/build.sh run    install what is missing, build, start Fotolark
#   tools/build.sh test   install what is missing, build, run every test
#   tools/build.sh bench  install what is missing, build, run the benchmarks
#   tools/build.sh package  install what is missing, build a release without tests in
#                           build-package/ and make the Debian package there
set -euo pipefail
cd "$(dirname "$0")/.."

mode=${1:-run}
default_build_dir=build
[ "$mode" = package ] && default_build_dir=build-package
build_dir=${FOTOLARK_BUILD_DIR:-$default_build_dir}

install_missing_packages() {
  local wanted missing=()
  wanted=$(grep -vE '^\s*(#|$)' tools/packages.txt)
  for p in $wanted; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo=sudo
  # 32-bit packages (wine for the album viewer's tests) need the i386 architecture.
  if printf '%s\n' "${missing[@]}" | grep -q ':i386$' && ! dpkg --print-foreign-architectures | grep -qx i386; then
    $sudo dpkg --add-architecture i386
  fi
  $sudo apt-get -o DPkg::Lock::Timeout=600 update -q
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends \
    -o DPkg::Lock::Timeout=600 "${missing[@]}"
}

build() {
  cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
  cmake --build "$build_dir" -j "$(nproc)"
}

# A release without tests or benchmarks, built with Debian's flags: its optimisation level
# and every hardening option (bind-now included); the release type adds only NDEBUG.
build_release() {
  local -x DEB_BUILD_MAINT_OPTIONS=hardening=+all
  CFLAGS="$(dpkg-buildflags --get CFLAGS) $(dpkg-buildflags --get CPPFLAGS)" \
  CXXFLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)" \
  LDFLAGS="$(dpkg-buildflags --get LDFLAGS)" \
    cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DFOTOLARK_BUILD_TESTS=OFF \
          -DCMAKE_C_FLAGS_RELEASE=-DNDEBUG -DCMAKE_CXX_FLAGS_RELEASE=-DNDEBUG
  cmake --build "$build_dir" -j "$(nproc)"
}

install_missing_packages
if [ "$mode" = package ]; then build_release; else build; fi
case "$mode" in
  run) exec "$build_dir/app/fotolark" ;;
  test)
    ctest --test-dir "$build_dir" --output-on-failure -j "$(nproc)" --timeout 600
    # The tests that start threads once more, three times in a row: a race shows here first.
    ctest --test-dir "$build_dir" --output-on-failure -j "$(nproc)" --timeout 600 -L threads --repeat until-fail:3
    # The Debian package from the same build, checked by lintian and the metadata validators.
    bash tools/make-package.sh "$build_dir" ;;
  bench)
    cmake --build "$build_dir" --target benchmarks
    for b in "$build_dir"/benchmarks/*; do [ -x "$b" ] && "$b"; done ;;
  package) bash tools/make-package.sh "$build_dir" ;;
  *) echo "usage: $0 run|test|bench|package" >&2; exit 2 ;;
esac
