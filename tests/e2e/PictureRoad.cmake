sorvak_add_test(E2ePictureRoadTest SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/PictureRoadTest.cpp
    LIBS sorvak_e2e LABELS e2e)
