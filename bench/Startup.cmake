# Start-up time of the program against a bare Qt file dialog.
add_executable(sorvak-bare-file-dialog ${CMAKE_CURRENT_LIST_DIR}/BareFileDialog.cpp)
target_link_libraries(sorvak-bare-file-dialog PRIVATE Qt6::Widgets)
add_executable(sorvak-startup-bench ${CMAKE_CURRENT_LIST_DIR}/StartupBench.cpp)
target_link_libraries(sorvak-startup-bench PRIVATE PkgConfig::XCB)
