#!/usr/bin/env bash
# Set up a Debian 12 machine for Fotolark, build it, and then run it or its tests.
#   tools/build.sh run    install what is missing, build, start Fotolark
#   tools/build.sh test   install what is missing, build, run every test
#   tools/build.sh bench  install what is missing, build, run the benchmarks
set -euo pipefail
cd "$(dirname "$0")/.."

mode=${1:-run}
build_dir=${FOTOLARK_BUILD_DIR:-build}

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

install_missing_packages
build
case "$mode" in
  run) exec "$build_dir/app/fotolark" ;;
  test)
    cd "$build_dir"
    ctest --output-on-failure -j "$(nproc)" --timeout 600
    # The tests that start threads once more, three times in a row: a race shows here first.
    ctest --output-on-failure -j "$(nproc)" --timeout 600 -L threads --repeat until-fail:3 ;;
  bench)
    cmake --build "$build_dir" --target benchmarks
    for b in "$build_dir"/benchmarks/*; do [ -x "$b" ] && "$b"; done ;;
  *) echo "usage: $0 run|test|bench" >&2; exit 2 ;;
esac
