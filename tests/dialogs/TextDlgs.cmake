sorvak_add_test(text_dialogs_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/TextDlgHelpersTest.cpp
            ${CMAKE_CURRENT_LIST_DIR}/TextDlgsTest.cpp
            ${CMAKE_CURRENT_LIST_DIR}/PreviewFileTest.cpp
    LIBS sorvak_dialogs
    LABELS unit)
