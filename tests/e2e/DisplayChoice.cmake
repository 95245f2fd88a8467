sorvak_add_test(E2eDisplayChoiceTest SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/DisplayChoiceTest.cpp
    LIBS sorvak_e2e LABELS e2e)
