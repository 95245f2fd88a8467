sorvak_add_test(E2eTextRoadTest SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/TextRoadTest.cpp
    LIBS sorvak_e2e LABELS e2e)
