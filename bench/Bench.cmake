# sorvak-bench: each picture writer timed beside its references (see
# BenchRegistry.h). A writer registers itself from bench/<Name>Bench.cpp; its
# own bench/<Name>Bench.cmake adds that file (and any library it needs) with
# target_sources/target_link_libraries on sorvak-bench.
find_package(PNG REQUIRED)
# The input readers are a library of their own so that their tests and fuzz
# target link them.
add_library(sorvak_bench_images STATIC
    ${CMAKE_CURRENT_LIST_DIR}/ImageReaders.cpp ${CMAKE_CURRENT_LIST_DIR}/ImageReaders.h)
target_include_directories(sorvak_bench_images PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(sorvak_bench_images PUBLIC sorvak_imaging PRIVATE PNG::PNG)

add_executable(sorvak-bench
    ${CMAKE_CURRENT_LIST_DIR}/BenchMain.cpp
    ${CMAKE_CURRENT_LIST_DIR}/BenchRegistry.h
    ${CMAKE_CURRENT_LIST_DIR}/BmpBench.cpp
    ${CMAKE_CURRENT_LIST_DIR}/JpegBench.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PngBench.cpp)
target_include_directories(sorvak-bench PRIVATE ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(sorvak-bench PRIVATE sorvak_bench_images sorvak_imaging PNG::PNG ZLIB::ZLIB JPEG::JPEG)

# The 3840 x 2160 desktop-like test picture, made on demand:
#   sorvak-bench-picture [--width W] [--height H] [--seed S] OUT.ppm
add_executable(sorvak-bench-picture ${CMAKE_CURRENT_LIST_DIR}/MakeScreenshot.cpp)
