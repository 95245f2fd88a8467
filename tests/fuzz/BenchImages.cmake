sorvak_add_fuzz_target(benchimages
    SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/BenchImagesFuzz.cpp
    LIBS sorvak_bench_images
    CORPUS ${CMAKE_CURRENT_SOURCE_DIR}/benchimages)
