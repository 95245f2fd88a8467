# The form description text converter and the form-file preview step.
sorvak_add_test(formtext_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/FormTextTest.cpp
    LIBS sorvak_dialogs
    LABELS unit)
sorvak_add_test(formtext_float_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/FormFloatTest.cpp
    LIBS sorvak_dialogs
    LABELS unit)
sorvak_add_test(formtext_preview_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/FormPreviewTest.cpp
    LIBS sorvak_dialogs
    LABELS unit)

# Writes the form fixtures and large streams as files: fuzz seeds and the
# input of throughput measurements with sorvak-formtext.
add_executable(sorvak-formtext-gen ${CMAKE_CURRENT_LIST_DIR}/FormTextGen.cpp)
target_link_libraries(sorvak-formtext-gen PRIVATE sorvak_text)
