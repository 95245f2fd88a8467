# GIF writer: container, colour reduction and LZW encoder.
target_sources(sorvak_imaging PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/Gif.cpp ${CMAKE_CURRENT_LIST_DIR}/Gif.h
    ${CMAKE_CURRENT_LIST_DIR}/GifLzw.cpp ${CMAKE_CURRENT_LIST_DIR}/GifLzw.h
    ${CMAKE_CURRENT_LIST_DIR}/GifReduce.cpp ${CMAKE_CURRENT_LIST_DIR}/GifReduce.h
)
