#!/bin/bash
# Installs with apt-get whatever this machine lacks (Debian 12). Run as root.
#   deps.sh run    what building and running the program needs
#   deps.sh test   that, and the tests, decoders, fuzzing and benchmarks
set -euo pipefail
what=${1:-test}
packages=(
    # build and run
    cmake g++ make pkg-config
    qt6-base-dev qt6-translations-l10n libxcb1-dev libxcb-xfixes0-dev
    # the Wayland clipboard (data-control) and Qt's Wayland platform
    libwayland-dev wayland-protocols qt6-wayland
    # the program's catalogues are compiled by lrelease (Qt6LinguistTools)
    qt6-tools-dev qt6-tools-dev-tools qt6-l10n-tools
    zlib1g-dev libjpeg62-turbo-dev
    # the program's texts are Japanese (English in other languages)
    fonts-noto-cjk
)
if [[ $what == test ]]; then
    packages+=(
        git locales
        # tests and independent decoders
        libgtest-dev libgmock-dev libpng-dev libgif-dev
        # the formatting check of scripts/test.sh
        clang-format
        # end-to-end tests under a virtual X server
        xvfb xauth xclip xdotool x11-utils x11-xserver-utils imagemagick pngcheck
        # notifications: a private session bus, a real server, its monitor
        dbus-daemon dbus-bin dunst
        # clipboard managers beside the program (CopyQ keeps pictures through its plugins)
        copyq copyq-plugins parcellite dbus
        # a Wayland session nested on Xvfb, with XWayland and a Wayland clipboard client
        weston xwayland wl-clipboard
        # a headless wlroots compositor, keystrokes and screenshots there, and
        # a focused Wayland window (GTK from Python)
        sway wtype grim gir1.2-gtk-3.0
        # GNOME's compositor, headless (no data-control: XWayland's clipboard)
        mutter dbus
        # KDE's compositor (run from a copy: the installed one carries a file
        # capability that containers may refuse)
        kwin-wayland
        # the install test validates the desktop entry
        desktop-file-utils
        # the Debian package test: cpack's dependency computation, lintian,
        # the manual page (man-db) and the AppStream entry
        dpkg-dev lintian man-db appstream
        # the file-manager extensions, loaded against the real bindings
        python3-gi python3-nautilus python3-caja
        # fuzzing (clang with libFuzzer)
        clang libclang-rt-14-dev
    )
elif [[ $what != run ]]; then
    echo "usage: deps.sh run|test" >&2
    exit 2
fi
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
    export DEBIAN_FRONTEND=noninteractive
    apt-get update
    apt-get install -y --no-install-recommends "${missing[@]}"
fi
[[ $what == test ]] || exit 0
# Japanese locales let the tests run the program as its users do, in UTF-8
# and in Shift_JIS (code page 932; glibc warns that it is not ASCII-compatible).
if ! locale -a 2>/dev/null | grep -qi '^ja_JP.utf8$'; then
    localedef -i ja_JP -f UTF-8 ja_JP.UTF-8
fi
# A locale with a decimal comma shows that numbers are written locale-free.
if ! locale -a 2>/dev/null | grep -qi '^de_DE.utf8$'; then
    localedef -i de_DE -f UTF-8 de_DE.UTF-8
fi
# English and German sessions show the program's English texts; under German
# Qt's own labels are German.
if ! locale -a 2>/dev/null | grep -qi '^en_US.utf8$'; then
    localedef -i en_US -f UTF-8 en_US.UTF-8
fi
# French: the program's English texts beside the C library's French errno texts.
if ! locale -a 2>/dev/null | grep -qi '^fr_FR.utf8$'; then
    localedef -i fr_FR -f UTF-8 fr_FR.UTF-8
fi
if ! locale -a 2>/dev/null | grep -qi '^ja_JP.sjis$'; then
    localedef --no-warnings=ascii -i ja_JP -f SHIFT_JIS ja_JP.SJIS || true
fi
# A single-byte locale shows names the character set cannot hold.
if ! locale -a 2>/dev/null | grep -qi '^en_US.iso88591$'; then
    localedef -i en_US -f ISO-8859-1 en_US.ISO-8859-1 || true
fi
if ! locale -a 2>/dev/null | grep -qi '^en_US.utf8$'; then
    localedef -i en_US -f UTF-8 en_US.UTF-8 || true
fi
