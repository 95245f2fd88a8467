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
target_link_libraries(sorvak-formtext-gen PRIVATE sorvak_base)

# The developer tool: text on standard output, or the message on standard
# error and status 1 with nothing on standard output.
add_test(NAME formtext_tool_converts
    COMMAND sorvak-formtext ${PROJECT_SOURCE_DIR}/tests/fuzz/formtext/corpus/DataModule1.dfm)
set_tests_properties(formtext_tool_converts PROPERTIES LABELS unit
    PASS_REGULAR_EXPRESSION "^object DataModule1: TDataModule1\r\n  OldCreateOrder = False\r\n")
add_test(NAME formtext_tool_reports_errors
    COMMAND sh -c "printf '\\377\\n\\000X\\000\\000\\000\\000\\000\\000\\000object' > \"$0\" && ! \"$1\" \"$0\" > \"$0.out\" 2> \"$0.err\" && test ! -s \"$0.out\" && grep -q '不正なイメージ リスト' \"$0.err\""
        ${CMAKE_CURRENT_BINARY_DIR}/formtext_tool_error.dfm $<TARGET_FILE:sorvak-formtext>)
set_tests_properties(formtext_tool_reports_errors PROPERTIES LABELS unit)
