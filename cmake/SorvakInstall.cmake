# cmake --install: the program, its desktop entry and its icon, under any
# prefix (/usr/local, or ~/.local for one user).
include(GNUInstallDirs)
set(_desktop ${PROJECT_SOURCE_DIR}/resources/desktop)

install(TARGETS sorvak RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# The entry names the program by its full path, known only at install time
# (--prefix may override the configured prefix).
install(CODE "
    set(SORVAK_DESKTOP_IN \"${_desktop}/sorvak.desktop.in\")
    set(SORVAK_DESKTOP_OUT \"${PROJECT_BINARY_DIR}/sorvak.desktop\")
    set(SORVAK_BINDIR \"${CMAKE_INSTALL_BINDIR}\")
    set(SORVAK_APPDIR \"${CMAKE_INSTALL_DATADIR}/applications\")
    include(\"${PROJECT_SOURCE_DIR}/cmake/InstallDesktopEntry.cmake\")
")

set(_icons ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
install(FILES ${_desktop}/sorvak.svg DESTINATION ${_icons}/scalable/apps)
foreach(_size 16 22 24 32 48 64 128 256)
    install(FILES ${_desktop}/sorvak-${_size}.png DESTINATION ${_icons}/${_size}x${_size}/apps
            RENAME sorvak.png)
endforeach()

# Paste as a file from the file managers' background menus.
install(CODE "
    set(SORVAK_BINDIR \"${CMAKE_INSTALL_BINDIR}\")
    set(SORVAK_ACTIONS_IN \"${PROJECT_SOURCE_DIR}/resources/filemanagers\")
    set(SORVAK_ACTIONS_OUT \"${PROJECT_BINARY_DIR}/filemanagers\")
    set(SORVAK_ACTIONS
        \"sorvak-nautilus.py.in|${CMAKE_INSTALL_DATADIR}/nautilus-python/extensions\"
        \"sorvak-caja.py.in|${CMAKE_INSTALL_DATADIR}/caja-python/extensions\"
        \"sorvak.nemo_action.in|${CMAKE_INSTALL_DATADIR}/nemo/actions\"
        \"sorvak-paste.desktop.in|${CMAKE_INSTALL_DATADIR}/kio/servicemenus\")
    include(\"${PROJECT_SOURCE_DIR}/cmake/InstallActions.cmake\")
")

# The manual page, compressed as Debian's policy asks (gzip -9n: no name or
# time stamp, so the same page gives the same bytes).
set(_manpage ${PROJECT_BINARY_DIR}/sorvak.1.gz)
add_custom_command(OUTPUT ${_manpage}
    COMMAND gzip -9nc ${_desktop}/sorvak.1 > ${_manpage}
    DEPENDS ${_desktop}/sorvak.1 VERBATIM)
set(_changelog ${PROJECT_BINARY_DIR}/changelog.gz)
add_custom_command(OUTPUT ${_changelog}
    COMMAND gzip -9nc ${PROJECT_SOURCE_DIR}/resources/package/changelog > ${_changelog}
    DEPENDS ${PROJECT_SOURCE_DIR}/resources/package/changelog VERBATIM)
add_custom_target(sorvak_docs ALL DEPENDS ${_manpage} ${_changelog})
install(FILES ${_manpage} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# The software centre's entry.
install(FILES ${_desktop}/io.github.sorvak.Sorvak.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${PROJECT_SOURCE_DIR}/resources/package/copyright ${_changelog}
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/sorvak)
