# sorvak-formtext FILE: prints a form description file as the text preview
# converts it, without the preview's length limit.
add_executable(sorvak-formtext ${CMAKE_CURRENT_LIST_DIR}/FormTextTool.cpp)
target_link_libraries(sorvak-formtext PRIVATE sorvak_dialogs)
