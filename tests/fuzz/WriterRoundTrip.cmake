# Each picture writer against an independent decoder, on random pictures.
find_package(PNG REQUIRED)
sorvak_add_fuzz_target(writerroundtrip
    SOURCE ${CMAKE_CURRENT_LIST_DIR}/WriterRoundTripFuzz.cpp
    LIBS sorvak_imaging PNG::PNG JPEG::JPEG gif
    CORPUS ${CMAKE_CURRENT_LIST_DIR}/writerroundtrip)
target_include_directories(writerroundtrip-replay PRIVATE ${PROJECT_SOURCE_DIR}/tests/imaging)
if(SORVAK_FUZZ)
    target_include_directories(writerroundtrip-fuzzer PRIVATE ${PROJECT_SOURCE_DIR}/tests/imaging)
endif()
