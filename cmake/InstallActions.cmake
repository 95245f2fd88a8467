# Runs at install time: the file-manager actions name the program by its full
# path under the final prefix, quoted for the file each one lives in.
set(_program "${CMAKE_INSTALL_PREFIX}/${SORVAK_BINDIR}/sorvak")

# Desktop Entry "Exec" (the Dolphin service menu): as in the desktop entry.
string(REGEX REPLACE "([\\\\\"`$])" "\\\\\\1" _exec "${_program}")
string(REPLACE "\\" "\\\\" _exec "${_exec}")
string(REPLACE "%" "%%" _exec "${_exec}")
set(SORVAK_EXEC "\"${_exec}\"")
# A shell word (Nemo splits its Exec line as a shell does): single quotes,
# each ' written as '\''.
string(REPLACE "'" "'\\''" _shell "${_program}")
set(SORVAK_SHELL "'${_shell}'")
# A Python string literal.
string(REPLACE "\\" "\\\\" _python "${_program}")
string(REPLACE "\"" "\\\"" _python "${_python}")
set(SORVAK_PYTHON "\"${_python}\"")

foreach(_pair IN LISTS SORVAK_ACTIONS)
    string(REPLACE "|" ";" _pair "${_pair}")
    list(GET _pair 0 _template)
    list(GET _pair 1 _folder)
    get_filename_component(_name "${_template}" NAME)
    string(REGEX REPLACE "\\.in$" "" _name "${_name}")
    configure_file("${SORVAK_ACTIONS_IN}/${_template}" "${SORVAK_ACTIONS_OUT}/${_name}" @ONLY)
    file(INSTALL "${SORVAK_ACTIONS_OUT}/${_name}"
         DESTINATION "${CMAKE_INSTALL_PREFIX}/${_folder}")
endforeach()
