# Runs at install time, when CMAKE_INSTALL_PREFIX is the final prefix.
# Exec holds the program's full path, so the entry works where the prefix's
# bin folder is not on the desktop's PATH (~/.local/bin often is not).
set(_program "${CMAKE_INSTALL_PREFIX}/${SORVAK_BINDIR}/sorvak")
# freedesktop.org Desktop Entry format, "The Exec key": inside double quotes, \ " ` $
# take a backslash; the string escapes then double every backslash, and a
# literal % is written %%.
string(REGEX REPLACE "([\\\\\"`$])" "\\\\\\1" _quoted "${_program}")
string(REPLACE "\\" "\\\\" _quoted "${_quoted}")
string(REPLACE "%" "%%" _quoted "${_quoted}")
set(SORVAK_EXEC "\"${_quoted}\"")
configure_file("${SORVAK_DESKTOP_IN}" "${SORVAK_DESKTOP_OUT}" @ONLY)
file(INSTALL "${SORVAK_DESKTOP_OUT}" DESTINATION "${CMAKE_INSTALL_PREFIX}/${SORVAK_APPDIR}")
