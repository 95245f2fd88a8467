# The picture pane, the preview window and the write progress window.
find_package(Qt6 REQUIRED COMPONENTS Test)
sorvak_add_test(picture_pane_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/PicturePaneTest.cpp
        ${CMAKE_CURRENT_LIST_DIR}/WriteProgressWindowTest.cpp
    LIBS sorvak_widgets sorvak_platform Qt6::Test
    LABELS widget
    ENV QT_QPA_PLATFORM=offscreen)
