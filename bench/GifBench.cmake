# GIF writer against giflib.
if(TARGET sorvak-bench)
    target_sources(sorvak-bench PRIVATE ${CMAKE_CURRENT_LIST_DIR}/GifBench.cpp)
    target_link_libraries(sorvak-bench PRIVATE gif)
endif()
