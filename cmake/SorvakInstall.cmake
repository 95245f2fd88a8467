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
