sorvak_add_test(E2eDurableFilesTest SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/DurableFilesTest.cpp
    LIBS sorvak_e2e LABELS e2e)
