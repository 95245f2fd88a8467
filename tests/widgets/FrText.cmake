find_package(Qt6 REQUIRED COMPONENTS Test)
sorvak_add_test(AnsiPlainTextTest SOURCES ${CMAKE_CURRENT_LIST_DIR}/AnsiPlainTextTest.cpp
    LIBS sorvak_widgets)
sorvak_add_test(FrTextTest SOURCES ${CMAKE_CURRENT_LIST_DIR}/FrTextTest.cpp
    LIBS sorvak_widgets sorvak_platform_core sorvak_testsupport Qt6::Test
    LABELS widget
    ENV QT_QPA_PLATFORM=offscreen)
