#!/usr/bin/env bash
# Installs the Debian packages the build needs, only those missing, so a second run costs
# nothing.
#   tools/setup.sh          everything `make test` needs: compilers, test and coverage tools,
#                           MinGW and Wine for the Windows parts
#   tools/setup.sh --demo   only what `make run` needs: Qt, hidapi and the X11 libraries for
#                           the program and the stand-in, Xvfb for the headless demo
set -euo pipefail
demo=(cmake g++ make pkg-config qt6-base-dev qt6-translations-l10n libhidapi-dev libx11-dev
      libxtst-dev xvfb)
tests=(clang libclang-rt-14-dev clang-format gcovr libgtest-dev libgmock-dev libbenchmark-dev
       xauth poppler-utils g++-mingw-w64-x86-64 wine wine64 openbox)
case "${1:-}" in
--demo) packages=("${demo[@]}") ;;
"") packages=("${demo[@]}" "${tests[@]}") ;;
*)
    echo "usage: $0 [--demo]" >&2
    exit 2
    ;;
esac
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
