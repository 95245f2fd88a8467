find_package(Qt6 REQUIRED COMPONENTS Test)
sorvak_add_test(text_dialog_widget_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/TextDialogTest.cpp
    LIBS sorvak_widgets sorvak_platform Qt6::Test
    LABELS widget
    ENV QT_QPA_PLATFORM=offscreen)
target_include_directories(text_dialog_widget_test PRIVATE ${PROJECT_SOURCE_DIR}/tests/formtext)
