#!/usr/bin/env bash
# Writes the Windows icon (.ico: 256, 48, 32 and 16 pixels) made from
# resources/icon-256.png with ImageMagick. The same bytes every time: no
# dates or other chunks go into the PNG of the 256-pixel image.
# Usage: windows-icon.sh OUT.ico
set -euo pipefail
[ $# -eq 1 ] || { echo "usage: $0 OUT.ico" >&2; exit 2; }
out=$1
source=$(dirname "$0")/../resources/icon-256.png

convert "$source" -strip -define png:exclude-chunks=date,time \
    -define icon:auto-resize=256,48,32,16 "$out.tmp.ico"
mv "$out.tmp.ico" "$out"
