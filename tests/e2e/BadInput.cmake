sorvak_add_test(E2eBadInputTest SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/BadInputTest.cpp
    LIBS sorvak_e2e LABELS e2e)
