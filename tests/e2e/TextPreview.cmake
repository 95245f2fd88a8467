sorvak_add_test(E2eTextPreviewTest SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/TextPreviewTest.cpp
    LIBS sorvak_e2e sorvak_base LABELS e2e)
target_include_directories(E2eTextPreviewTest PRIVATE ${PROJECT_SOURCE_DIR}/tests/formtext)
