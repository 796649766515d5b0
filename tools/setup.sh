#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, only those missing,
# so a second run costs nothing.
set -euo pipefail
packages=(cmake g++ clang make pkg-config qt6-base-dev libhidapi-dev libgtest-dev libgmock-dev
          libbenchmark-dev libx11-dev libxtst-dev xvfb xauth libclang-rt-14-dev
          clang-format gcovr qt6-translations-l10n poppler-utils g++-mingw-w64-x86-64 wine wine64
          openbox)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
