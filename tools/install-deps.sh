#!/usr/bin/env bash
# Installs the Debian 12 packages Korvane needs to build, test and run, and generates the
# decimal-comma locale the tests run under once. Does nothing when all are present.
set -euo pipefail
packages=(
  g++ clang-14 libclang-rt-14-dev cmake ninja-build pkg-config
  qt6-base-dev libqt6opengl6-dev qt6-svg-dev
  libgl1-mesa-dev libglu1-mesa-dev libgl1-mesa-dri
  xvfb xauth locales
  libgtest-dev libgmock-dev libbenchmark-dev libcli11-dev
  dpkg-dev desktop-file-utils shared-mime-info libxml2-utils groff-base
  poppler-utils
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
# Some tests run under a locale that writes 1,5 for one and a half.
test_locale=de_DE.UTF-8
has_locale() { locale -a 2>/dev/null | grep -qix 'de_DE\.utf-\?8'; }
[ ${#missing[@]} -eq 0 ] && has_locale && exit 0
sudo=""
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "Need root (or sudo) to install: ${missing[*]} $test_locale" >&2; exit 1; }
  sudo="sudo"
fi
if [ ${#missing[@]} -ne 0 ]; then
  echo "Installing: ${missing[*]}" >&2
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
if ! has_locale; then
  echo "Generating the locale $test_locale" >&2
  $sudo localedef -i de_DE -f UTF-8 "$test_locale"
fi
