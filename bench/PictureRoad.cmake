# The picture road against its floors: a bare Qt program and the PNG writer.
add_executable(sorvak-picture-road-bench ${CMAKE_CURRENT_LIST_DIR}/PictureRoadBench.cpp)
target_link_libraries(sorvak-picture-road-bench PRIVATE sorvak_bench_images sorvak_imaging
    PkgConfig::XCB)
