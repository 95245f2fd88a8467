# Line splitting and lookups over any bytes, apart from the settings store so
# that they run at full speed (the store writes a file per input).
sorvak_add_fuzz_target(linelist
    SOURCE ${CMAKE_CURRENT_LIST_DIR}/LineListFuzz.cpp
    LIBS sorvak_settings
    CORPUS ${CMAKE_CURRENT_LIST_DIR}/linelist)
