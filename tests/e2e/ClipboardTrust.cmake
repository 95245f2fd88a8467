sorvak_add_test(E2eClipboardTrustTest SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/ClipboardTrustTest.cpp
    LIBS sorvak_e2e ZLIB::ZLIB LABELS e2e)
