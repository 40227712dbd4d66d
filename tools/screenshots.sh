#!/usr/bin/env bash
# Makes the README's pictures from the program itself: builds fotolark-screenshots, which
# writes a generated album folder, opens the main window with a photo and the "Create a CD"
# window over it offscreen, and grabs both into docs/screenshots/ (main-window.png,
# create-cd.png). The user's own settings and albums are never touched.
#   tools/screenshots.sh            (after a configure; FOTOLARK_BUILD_DIR picks another build folder)
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${FOTOLARK_BUILD_DIR:-build}
cmake --build "$build_dir" --target fotolark-screenshots
"$build_dir/app/fotolark-screenshots" docs/screenshots
echo "docs/screenshots/main-window.png and docs/screenshots/create-cd.png written"
