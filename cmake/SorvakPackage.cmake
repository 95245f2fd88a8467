# cpack -G DEB: a Debian package of what cmake --install puts in place,
# under /usr, with the program stripped and its library dependencies
# computed from the binary (dpkg-shlibdeps).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME sorvak)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Sorvak developers")
# The control file must name a maintainer with an address.
set(CPACK_PACKAGE_CONTACT "The Sorvak developers <sorvak@users.noreply.github.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "save what the clipboard holds into a file")
# CPack puts the summary on the first line and indents each line itself.
string(CONCAT CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Sorvak looks at the clipboard once, offers the save dialog that suits\n"
    "what it holds and ends: pictures as BMP, JPEG, PNG or GIF, text with a\n"
    "preview of the selected file, and files copied in a file manager as a\n"
    "list of their paths. It is started from a keyboard shortcut, from the\n"
    "file managers' paste-as-file menu item, or from scripts, which can save\n"
    "without a dialog.")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt's Wayland platform is a plugin loaded at run time, which the computed
# dependencies cannot see; Wayland sessions without XWayland need it.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-wayland")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# The install scripts write paths under CMAKE_INSTALL_PREFIX into the files
# they make (the desktop entry's Exec): it must be /usr, with the staging
# folder as DESTDIR, not the staging folder itself.
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The texts are Japanese; the file managers' Python bindings only light up
# the actions that need them.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-noto-cjk | fonts-ipafont-gothic, qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "python3-nautilus, python3-caja, nemo, dolphin, thunar")
include(CPack)
