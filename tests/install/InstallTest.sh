#!/bin/bash
# Installs the built tree into fresh prefixes, as root does into /usr/local and
# a user into ~/.local, and checks what a desktop needs to find the program.
# Usage: InstallTest.sh BUILD_DIR
set -euo pipefail
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# PNG width and height from the IHDR chunk (bytes 16 to 23), read without
# any image library.
png_size() {
    od -An -tu1 -j16 -N8 "$1" | awk '{ printf "%dx%d", $3 * 256 + $4, $7 * 256 + $8 }'
}

check_prefix() {
    local prefix=$1
    cmake --install "$build" --prefix "$prefix" >/dev/null
    local program=$prefix/bin/sorvak entry=$prefix/share/applications/sorvak.desktop
    [[ -x $program && -f $program ]] || fail "no program at $program"
    cmp -s "$program" "$build/app/sorvak" || fail "installed program is not the built one"
    [[ -f $entry ]] || fail "no desktop entry at $entry"
    desktop-file-validate "$entry" || fail "desktop entry not valid: $entry"
    grep -qx 'Name\[ja\]=.*[^ -~].*' "$entry" || fail "no Japanese name in $entry"
    grep -qx 'Icon=sorvak' "$entry" || fail "entry does not name the icon"

    # Exec must name this program: undo the entry's quoting and compare.
    local exec
    exec=$(sed -n 's/^Exec=//p' "$entry")
    exec=${exec//%%/%}
    exec=${exec//\\\\/\\}
    exec=$(printf '%s' "$exec" | sed -e 's/^"//' -e 's/"$//' -e 's/\\\([\\"`$]\)/\1/g')
    [[ $exec == "$program" ]] || fail "Exec is [$exec], expected [$program]"

    local icons=$prefix/share/icons/hicolor
    grep -q '<svg' "$icons/scalable/apps/sorvak.svg" || fail "no scalable icon"
    for size in 16 22 24 32 48 64 128 256; do
        local png=$icons/${size}x${size}/apps/sorvak.png
        [[ -f $png ]] || fail "no icon $png"
        [[ $(png_size "$png") == "${size}x${size}" ]] || fail "$png is $(png_size "$png")"
        pngcheck -q "$png" >/dev/null || fail "pngcheck refuses $png"
    done
    echo "ok: $prefix"
}

check_prefix "$work/usr/local"
HOME=$work/home check_prefix "$work/home/.local"
# Characters the entry must quote, and a space, in the prefix.
check_prefix "$work/odd place/a\$b%c\"d\`e"
