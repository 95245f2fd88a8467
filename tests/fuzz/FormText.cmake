# The form-file step of the text preview over any bytes.
sorvak_add_fuzz_target(formtext
    SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/FormTextFuzz.cpp
    LIBS sorvak_dialogs
    CORPUS ${CMAKE_CURRENT_SOURCE_DIR}/formtext)
