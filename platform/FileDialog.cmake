# The system file dialog behind the dialog calls of the dialog logic.
target_sources(sorvak_platform PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/FileDialogFilters.cpp ${CMAKE_CURRENT_LIST_DIR}/FileDialogFilters.h
    ${CMAKE_CURRENT_LIST_DIR}/FileListColumns.cpp ${CMAKE_CURRENT_LIST_DIR}/FileListColumns.h
    ${CMAKE_CURRENT_LIST_DIR}/FileDialogTemplate.cpp ${CMAKE_CURRENT_LIST_DIR}/FileDialogTemplate.h
    ${CMAKE_CURRENT_LIST_DIR}/SystemFileDialog.cpp ${CMAKE_CURRENT_LIST_DIR}/SystemFileDialog.h
)
target_link_libraries(sorvak_platform PUBLIC sorvak_dialogs PRIVATE sorvak_resources)
