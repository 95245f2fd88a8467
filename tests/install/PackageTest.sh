#!/bin/bash
# Builds the Debian package with cpack and checks it as a user's system would
# meet it: its control fields, its files, lintian, the manual page, the
# AppStream entry and the program inside it.
# Usage: PackageTest.sh BUILD_DIR
set -euo pipefail
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

(cd "$work" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1) ||
    { cat "$work/cpack.log" >&2; fail "cpack -G DEB failed"; }
debs=("$work"/out/sorvak_*.deb)
[[ ${#debs[@]} -eq 1 && -f ${debs[0]} ]] || fail "expected one sorvak_*.deb, got: ${debs[*]}"
deb=${debs[0]}
echo "package: $(basename "$deb")"

field() { dpkg-deb -f "$deb" "$1"; }
[[ $(field Package) == sorvak ]] || fail "Package is $(field Package)"
[[ $(field Version) == 0.1* ]] || fail "Version is $(field Version)"
# Dependencies come from the binary: Qt's widgets library and the C library.
depends=$(field Depends)
[[ $depends == *libqt6widgets6* && $depends == *libc6* && $depends == *libjpeg62-turbo* ]] ||
    fail "Depends not computed from the binary: $depends"
[[ $depends != *python* ]] || fail "Python bindings must not be dependencies: $depends"
[[ "$(field Suggests) $(field Recommends)" == *python3-nautilus*python3-caja* ]] ||
    fail "the file managers' bindings are neither recommended nor suggested"

dpkg-deb -c "$deb" | awk '{ print $6 }' | sed 's|^\./|/|' >"$work/contents"
for path in /usr/bin/sorvak /usr/share/applications/sorvak.desktop \
    /usr/share/icons/hicolor/scalable/apps/sorvak.svg /usr/share/icons/hicolor/48x48/apps/sorvak.png \
    /usr/share/man/man1/sorvak.1.gz /usr/share/metainfo/io.github.sorvak.Sorvak.metainfo.xml \
    /usr/share/doc/sorvak/copyright /usr/share/doc/sorvak/changelog.gz \
    /usr/share/nautilus-python/extensions/sorvak-nautilus.py \
    /usr/share/caja-python/extensions/sorvak-caja.py /usr/share/nemo/actions/sorvak.nemo_action \
    /usr/share/kio/servicemenus/sorvak-paste.desktop; do
    grep -qx "$path" "$work/contents" || fail "$path missing from the package"
done
# Nothing of the build or the tests.
! grep -E 'test|bench|fuzz|/usr/local|/tmp' "$work/contents" || fail "stray files in the package"

root=$work/root
dpkg-deb -x "$deb" "$root"
program=$root/usr/bin/sorvak
! readelf -S "$program" | grep -q '\.debug_info' || fail "the program is not stripped"
[[ $("$program" --version) == "sorvak 0.1" ]] || fail "the packaged program does not answer --version"
grep -qx 'Exec="/usr/bin/sorvak"' "$root/usr/share/applications/sorvak.desktop" ||
    fail "desktop entry Exec is $(grep ^Exec "$root/usr/share/applications/sorvak.desktop")"
grep -qx 'Exec="/usr/bin/sorvak" --folder %f' "$root/usr/share/kio/servicemenus/sorvak-paste.desktop" ||
    fail "the service menu does not start /usr/bin/sorvak"
grep -qx "PROGRAM = \"/usr/bin/sorvak\"" "$root/usr/share/nautilus-python/extensions/sorvak-nautilus.py" ||
    fail "the Nautilus extension does not start /usr/bin/sorvak"

grep -qx 'License: Expat' "$root/usr/share/doc/sorvak/copyright" || fail "the copyright file names no MIT (Expat) licence"
grep -q '<project_license>MIT</project_license>' "$root/usr/share/metainfo/io.github.sorvak.Sorvak.metainfo.xml" ||
    fail "the AppStream entry names no project licence"
appstreamcli validate --no-net "$root/usr/share/metainfo/io.github.sorvak.Sorvak.metainfo.xml" ||
    fail "AppStream metainfo not valid"
# The manual page formats without a warning and has its sections.
page=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$root/usr/share/man/man1/sorvak.1.gz" 2>"$work/man.err")
[[ ! -s $work/man.err ]] || { cat "$work/man.err" >&2; fail "the manual page has warnings"; }
for section in NAME SYNOPSIS DESCRIPTION OPTIONS "EXIT STATUS" FILES ENVIRONMENT; do
    grep -qx "$section" <<<"$page" || fail "the manual page has no $section"
done

# lintian: no errors; its warnings are printed for the record.
lintian --tag-display-limit 0 --display-info "$deb" >"$work/lintian.log" 2>&1 || true
cat "$work/lintian.log"
! grep -q '^E: ' "$work/lintian.log" || fail "lintian reports errors"
! grep -E 'hardening-no-(bindnow|fortify-functions|relro|stackprotector)' "$work/lintian.log" ||
    fail "the program lacks Debian's hardening flags"
echo "ok: $(basename "$deb")"
