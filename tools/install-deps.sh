#!/usr/bin/env bash
# Installs the Debian packages the project needs. Quick and silent when all
# of them are present already; uses sudo when not run as root.
set -euo pipefail

packages=(
  build-essential cmake ninja-build ccache pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev libgl-dev libxcb1-dev
  libjpeg-dev libgif-dev libcurl4-openssl-dev zlib1g-dev
  librtmidi-dev libfluidsynth-dev timgm6mb-soundfont
  fonts-liberation fonts-liberation2
  poppler-utils
  xvfb xauth imagemagick python3-xlib openbox
  python3-mido
  cups-daemon cups-client cups-filters
  xdg-utils python3-aiosmtpd python3-pil
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing missing packages: ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
