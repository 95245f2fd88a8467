sorvak_add_fuzz_target(filemanagercopy
    SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/FileManagerCopyFuzz.cpp
    LIBS sorvak_app sorvak_platform_core
    CORPUS ${CMAKE_CURRENT_SOURCE_DIR}/filemanagercopy)
