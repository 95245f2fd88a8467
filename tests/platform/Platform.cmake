sorvak_add_test(FileManagerCopyTest SOURCES FileManagerCopyTest.cpp LIBS sorvak_platform_core)
sorvak_add_test(MessageBoxesTest SOURCES MessageBoxesTest.cpp LIBS sorvak_platform)
sorvak_add_test(MessageBoxTextTest SOURCES MessageBoxTextTest.cpp
    LIBS sorvak_app sorvak_platform LABELS widget ENV QT_QPA_PLATFORM=offscreen)
