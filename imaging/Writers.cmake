# The clipboard bitmap and the BMP, PNG and JPEG writers.
target_sources(sorvak_imaging PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/Bitmap.cpp ${CMAKE_CURRENT_LIST_DIR}/Bitmap.h
    ${CMAKE_CURRENT_LIST_DIR}/Bmp.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Bytes.h
    ${CMAKE_CURRENT_LIST_DIR}/Jpeg.cpp ${CMAKE_CURRENT_LIST_DIR}/Jpeg.h
    ${CMAKE_CURRENT_LIST_DIR}/Png.cpp ${CMAKE_CURRENT_LIST_DIR}/Png.h
    ${CMAKE_CURRENT_LIST_DIR}/Graphic.cpp ${CMAKE_CURRENT_LIST_DIR}/Graphic.h
    ${CMAKE_CURRENT_LIST_DIR}/Stream.cpp ${CMAKE_CURRENT_LIST_DIR}/Stream.h
)
