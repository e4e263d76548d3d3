#!/usr/bin/env bash
# Installs the Debian 12 packages the build, the program and the tests need,
# asking apt only when something is missing. Extra arguments are further
# packages a script needs (scripts/package.sh: lintian).
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config ccache
    juce-modules-source
    libasound2-dev libfreetype-dev libfontconfig1-dev libx11-dev libxrandr-dev
    libxinerama-dev libxcursor-dev libxext-dev libgl-dev libpng-dev libjpeg-dev
    libsqlite3-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    clang-format
    clang libclang-rt-14-dev
    xvfb xdotool x11-utils imagemagick fonts-dejavu-core xclip jq iproute2
    python3-mido
    help2man dpkg-dev
    desktop-file-utils appstream-util shared-mime-info libglib2.0-bin libxml2-utils
)

packages+=("$@")

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    echo "Installing: ${missing[*]}"
    $sudo apt-get update
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
fi

# The Windows cross-build's own: MinGW-w64, Wine, NSIS, and the libraries
# built from Debian's sources.
"$(dirname "$0")/windows-deps.sh"
