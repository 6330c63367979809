#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need,
# skipping those already present. Needs root (or sudo) only when something is missing.
set -eu
packages=(
  cmake g++ make pkg-config
  qtbase5-dev qtbase5-dev-tools libpulse-dev
  ffmpeg pulseaudio pulseaudio-utils
  xvfb xdotool x11-utils xauth imagemagick
  fonts-wqy-microhei xdg-utils qttranslations5-l10n
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo=sudo
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
