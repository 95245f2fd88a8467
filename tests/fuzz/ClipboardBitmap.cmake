sorvak_add_fuzz_target(clipboardbitmap
    SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/ClipboardBitmapFuzz.cpp
    LIBS sorvak_imaging
    CORPUS ${CMAKE_CURRENT_SOURCE_DIR}/clipboardbitmap)
