add_executable(sorvak-writetext ${CMAKE_CURRENT_SOURCE_DIR}/WriteText.cpp)
target_link_libraries(sorvak-writetext PRIVATE sorvak_app sorvak_platform)
sorvak_add_test(E2eClipboardKeeperTest SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/ClipboardKeeperTest.cpp
    LIBS sorvak_e2e LABELS e2e)
