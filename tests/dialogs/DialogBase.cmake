sorvak_add_test(dialog_base_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/OpenDialogTest.cpp
    LIBS sorvak_dialogs
    LABELS unit)
