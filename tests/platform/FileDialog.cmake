find_package(Qt6 REQUIRED COMPONENTS Test)
sorvak_add_test(system_file_dialog_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/SystemFileDialogTest.cpp
    LIBS sorvak_platform Qt6::Test
    LABELS widget
    ENV QT_QPA_PLATFORM=offscreen)
sorvak_add_test(file_dialog_filters_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/FileDialogFiltersTest.cpp
    LIBS sorvak_platform
    LABELS unit)
