#!/usr/bin/env bash
# Installs the Debian 12 packages Korvane needs to build, test and run. Does nothing when all
# are present.
set -euo pipefail
packages=(
  g++ clang-14 libclang-rt-14-dev cmake ninja-build pkg-config
  qt6-base-dev libqt6opengl6-dev qt6-svg-dev
  libgl1-mesa-dev libglu1-mesa-dev libgl1-mesa-dri
  xvfb xauth
  libgtest-dev libgmock-dev libbenchmark-dev libcli11-dev
  dpkg-dev desktop-file-utils shared-mime-info libxml2-utils groff-base
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}" >&2
sudo=""
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "Need root (or sudo) to install: ${missing[*]}" >&2; exit 1; }
  sudo="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
