# The form description text converter and the form-file step of the preview.
target_sources(sorvak_dialogs PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/FormFloat.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FormFloat.h
    ${CMAKE_CURRENT_LIST_DIR}/FormPreview.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FormPreview.h
    ${CMAKE_CURRENT_LIST_DIR}/FormText.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FormText.h
    ${CMAKE_CURRENT_LIST_DIR}/FormTextWriter.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FormTextWriter.h
)
