# Filter strings as the file dialog takes them.
sorvak_add_fuzz_target(filters
    SOURCE ${CMAKE_CURRENT_LIST_DIR}/FiltersFuzz.cpp
    LIBS sorvak_dialogs sorvak_platform
    CORPUS ${CMAKE_CURRENT_LIST_DIR}/filters)
