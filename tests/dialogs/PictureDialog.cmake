# The picture dialogs' logic against a pane double.
sorvak_add_test(picture_dialog_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/SavePictureDialogTest.cpp
    LIBS sorvak_dialogs
    LABELS unit)
