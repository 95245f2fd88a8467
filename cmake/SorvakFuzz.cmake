# sorvak_add_fuzz_target(NAME SOURCE fuzz.cpp LIBS libs... CORPUS dir...)
# The target defines LLVMFuzzerTestOneInput. Always built as a replay program
# that runs every file under the given folders, each holding corpus/ and
# crashers/ (inputs that once failed), as a ctest test, label "fuzz";
# with SORVAK_FUZZ=ON (clang) also as a libFuzzer program NAME-fuzzer.
function(sorvak_add_fuzz_target name)
    cmake_parse_arguments(F "" "SOURCE" "LIBS;CORPUS" ${ARGN})
    add_executable(${name}-replay ${F_SOURCE} ${PROJECT_SOURCE_DIR}/tests/fuzz/ReplayMain.cpp)
    target_link_libraries(${name}-replay PRIVATE ${F_LIBS})
    add_test(NAME fuzz.${name}.replay COMMAND ${name}-replay ${F_CORPUS})
    set_tests_properties(fuzz.${name}.replay PROPERTIES LABELS "unit;fuzz")
    if(SORVAK_FUZZ)
        add_executable(${name}-fuzzer ${F_SOURCE})
        target_compile_options(${name}-fuzzer PRIVATE -fsanitize=fuzzer,address,undefined)
        target_link_options(${name}-fuzzer PRIVATE -fsanitize=fuzzer,address,undefined)
        target_link_libraries(${name}-fuzzer PRIVATE ${F_LIBS})
    endif()
endfunction()
