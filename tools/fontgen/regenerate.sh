#!/usr/bin/env bash
# Regenerates resources/fonts/ (font, glyph table, licence) and
# docs/glyph-chart.png from Bravura. Needs npm, python3-fontforge,
# python3-pil and fonts-dejavu-core; the build and CI need none of them.
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

font_dir="$("$here/fetch_bravura.sh" "$work")"
/usr/bin/python3 "$here/build_font.py" "$font_dir"
/usr/bin/python3 "$here/check_font.py"
/usr/bin/python3 "$here/chart.py"
