#!/usr/bin/env bash
# Builds the .deb of the build tree $1 (sources $2) with CPack and checks it: the program,
# the bridge (where it is built), the udev rule, the menu entry and its icon, the handbook
# are in their places, and the declared dependencies name the Debian package of every
# library the program links directly.
# Exit 77 (skipped) where the Debian packaging tools are missing.
set -euo pipefail
bin=$1
src=$2

for tool in dpkg-deb dpkg-shlibdeps cpack objdump; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "SKIP: $tool is not installed, so the .deb cannot be built and checked"
        exit 77
    fi
done

fail=0
problem() {
    echo "FAIL: $*"
    fail=1
}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cmake --build "$bin" --target kordan >/dev/null
# The bridge is part of the package wherever the build cross-builds it.
bridge=
if [ -d "$bin/tools/bridge/CMakeFiles/kordan_bridge_win32.dir" ]; then
    cmake --build "$bin" --target kordan_bridge_win32 >/dev/null
    bridge=./usr/lib/kordan/kordan-bridge.exe
fi
if ! (cd "$bin" && cpack -G DEB -B "$work/out" >"$work/cpack.log" 2>&1); then
    cat "$work/cpack.log"
    echo "FAIL: cpack could not build the package"
    exit 1
fi
deb=$(ls "$work"/out/*.deb)
echo "package: $(basename "$deb")"

# One path a line, blanks kept.
contents=$(dpkg-deb --fsys-tarfile "$deb" | tar -t)
for path in ./usr/bin/kordan \
            ./usr/lib/udev/rules.d/70-kordan.rules \
            ./usr/share/applications/kordan.desktop \
            ./usr/share/icons/hicolor/scalable/apps/kordan.svg \
            ./usr/share/kordan/Handbuch.md $bridge; do
    grep -qxF "$path" <<<"$contents" || problem "$path is not in the package"
done
if [ -d "$src/demo" ]; then
    while IFS= read -r file; do
        grep -qxF "./usr/share/kordan/demo/$file" <<<"$contents" ||
            problem "demo file $file is not in the package"
    done < <(cd "$src/demo" && find . -type f | sed 's|^\./||')
fi

dpkg-deb --extract "$deb" "$work/root"
root=$work/root
[ -x "$root/usr/bin/kordan" ] || problem "the program is not executable"
cmp -s "$root/usr/lib/udev/rules.d/70-kordan.rules" "$src/packaging/udev/70-kordan.rules" ||
    problem "the packaged udev rule differs from packaging/udev/70-kordan.rules"
dpkg-deb --info "$deb" postinst >/dev/null 2>&1 || problem "the package has no postinst"

# Every library the program names directly must come from a declared dependency.
depends=$(dpkg-deb --field "$deb" Depends)
echo "Depends: $depends"
[ -n "$depends" ] || problem "the package declares no dependencies"
declared=$(tr ',|' '\n\n' <<<"$depends" | sed 's/(.*)//; s/:.*//; s/^ *//; s/ *$//' | sort -u)
owner() {
    local p
    for p in "$1" "$(readlink -f "$1")" "${1#/usr}" "/usr$1"; do
        dpkg -S "$p" 2>/dev/null | head -n1 | cut -d: -f1 && return 0
    done
    return 1
}
program=$root/usr/bin/kordan
checked=0
while read -r lib; do
    path=$(ldd "$program" | awk -v l="$lib" '$1 == l && $2 == "=>" {print $3}')
    [ -n "$path" ] || { problem "$lib is linked but not found on this system"; continue; }
    pkg=$(owner "$path") || { problem "no installed package holds $path"; continue; }
    checked=$((checked + 1))
    grep -qxF "$pkg" <<<"$declared" || problem "$lib comes from $pkg, which the package does not depend on"
done < <(objdump -p "$program" | awk '$1 == "NEEDED" {print $2}')
[ "$checked" -gt 0 ] || problem "no linked library was checked"
grep -qxF qt6-translations-l10n <<<"$declared" || problem "Qt's German texts are no dependency"
echo "checked the packages of $checked linked libraries"

[ "$fail" -eq 0 ] && echo "deb contents: ok"
exit "$fail"
