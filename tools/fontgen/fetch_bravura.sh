#!/usr/bin/env bash
# Fetches the source font Bravura (SIL OFL 1.1) from the npm registry, where
# the package @coderline/alphatab carries it in dist/font/ together with its
# licence text and FONTLOG. Prints the folder that holds Bravura.otf.
#
#   tools/fontgen/fetch_bravura.sh WORK_DIR
#
# WORK_DIR should lie outside the repository; it is created when missing.
set -euo pipefail

PACKAGE="@coderline/alphatab@1.8.4"   # carries Bravura 1.38

work="${1:?usage: fetch_bravura.sh WORK_DIR}"
mkdir -p "$work"
cd "$work"
tarball="$(npm pack --silent "$PACKAGE" | tail -n 1)"
tar -xzf "$tarball" package/dist/font
font_dir="$(pwd)/package/dist/font"
test -f "$font_dir/Bravura.otf"
echo "$font_dir"
