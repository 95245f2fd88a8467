# The form-file step of the text preview over any bytes.
sorvak_add_fuzz_target(formtext
    SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/FormTextFuzz.cpp
    LIBS sorvak_formtext
    CORPUS ${CMAKE_CURRENT_SOURCE_DIR}/formtext/corpus ${CMAKE_CURRENT_SOURCE_DIR}/formtext/crashers)
