#!/usr/bin/env bash
# Installs the Debian packages the build, the program and the tests need, when missing.
set -euo pipefail
packages=(
  cmake g++ make pkg-config
  qt6-base-dev qt6-translations-l10n libgl-dev
  qt6-svg-dev
  libsqlite3-dev sqlite3
  googletest libgtest-dev libbenchmark-dev
  clang libclang-rt-14-dev
  fonts-dejavu-core fonts-liberation2
  # Print fonts default to "Arial Narrow"; fontconfig maps it to Liberation Sans Narrow,
  # which only the older package carries.
  fonts-liberation
)
# Starting the program also opens the help page with the desktop's viewer.
[ "${1:-}" = "--run" ] && packages+=(xdg-utils)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
