sorvak_add_test(E2eFileListRoadTest SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/FileListRoadTest.cpp
    LIBS sorvak_e2e LABELS e2e)
