#!/bin/sh
# Installs the demo data into a demo Wine-like prefix and a demo program directory:
#   tools/demo-install.sh PREFIX KORDANDIR
# PREFIX gets drive_c/Zusi with the demo locomotives (and dosdevices/c: -> drive_c, as Wine
# has it); zusi-standin --prefix PREFIX then publishes its registry values there.
# KORDANDIR gets the demo profiles and axis files. Nothing is written outside the two
# directories, a real Wine prefix (one with system.reg) is refused, and a file that is
# already there with other content is left alone: it may be the user's own.
set -eu

usage() {
    echo "usage: $0 PREFIX KORDANDIR" >&2
    exit 2
}
[ $# -eq 2 ] || usage
[ -n "$1" ] && [ -n "$2" ] || usage

here=$(cd "$(dirname "$0")/.." && pwd)
demo="$here/demo"
[ -d "$demo/zusi/Loks" ] && [ -d "$demo/kordan" ] || {
    echo "$0: demo data not found in $demo" >&2
    exit 1
}

mkdir -p "$1" "$2"
prefix=$(cd "$1" && pwd -P)
kordan=$(cd "$2" && pwd -P)

if [ -e "$prefix/system.reg" ]; then
    echo "$0: $prefix is a real Wine prefix (it has system.reg); use a directory of its own" >&2
    exit 1
fi
for dir in "$prefix" "$kordan"; do
    if [ "$dir" = / ] || [ "$dir" = "$(cd ~ && pwd -P)" ]; then
        echo "$0: refusing to install into $dir itself" >&2
        exit 1
    fi
done

# True when the path, with every link resolved, lies inside the directory.
inside() {
    case "$(realpath -m "$1")/" in
    "$2"/*) return 0 ;;
    *) return 1 ;;
    esac
}

# Copies one file unless a different file of that name is there already.
install_file() {
    src=$1 dst=$2 root=$3
    if ! inside "$dst" "$root"; then
        echo "$0: $dst leads outside $root; not written" >&2
        exit 1
    fi
    if [ -e "$dst" ] || [ -L "$dst" ]; then
        if [ -f "$dst" ] && cmp -s "$src" "$dst"; then
            return 0
        fi
        echo "kept (differs from the demo): $dst"
        return 0
    fi
    mkdir -p "$(dirname "$dst")"
    cp "$src" "$dst"
    echo "installed: $dst"
}

mkdir -p "$prefix/drive_c" "$prefix/dosdevices"
if [ ! -e "$prefix/dosdevices/c:" ] && [ ! -L "$prefix/dosdevices/c:" ]; then
    ln -s ../drive_c "$prefix/dosdevices/c:"
fi
if ! inside "$prefix/dosdevices/c:" "$prefix"; then
    echo "$0: $prefix/dosdevices/c: leads outside $prefix" >&2
    exit 1
fi
zusi="$prefix/drive_c/Zusi"
inside "$zusi" "$prefix" || {
    echo "$0: $zusi leads outside $prefix" >&2
    exit 1
}
mkdir -p "$zusi/temp"

(cd "$demo/zusi" && find . -type f) | while IFS= read -r f; do
    install_file "$demo/zusi/$f" "$zusi/${f#./}" "$prefix"
done
(cd "$demo/kordan" && find . -type f) | while IFS= read -r f; do
    install_file "$demo/kordan/$f" "$kordan/${f#./}" "$kordan"
done
echo "demo installed: WINEPREFIX=$prefix, program directory $kordan"
