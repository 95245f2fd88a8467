# sorvak_add_test(NAME SOURCES a.cpp b.cpp LIBS lib1 lib2 [LABELS unit|widget|e2e] [ENV K=V ...])
# Label `concurrent` as well marks what runs on more than one thread: the tsan
# preset builds and runs only those.
# One executable per test file group; links the libraries, never recompiles their sources.
find_package(GTest REQUIRED)
include(GoogleTest)

function(sorvak_add_test name)
    cmake_parse_arguments(T "" "" "SOURCES;LIBS;LABELS;ENV" ${ARGN})
    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
    target_compile_definitions(${name} PRIVATE
        SORVAK_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
        SORVAK_BINARY_DIR="${PROJECT_BINARY_DIR}")
    if(NOT T_LABELS)
        set(T_LABELS unit)
    endif()
    gtest_discover_tests(${name}
        DISCOVERY_MODE PRE_TEST
        PROPERTIES ENVIRONMENT "${T_ENV}")
    # gtest_discover_tests flattens a property's list (CMake 3.25), so the
    # labels are set on the discovered tests by a file ctest reads after.
    set(labels "${CMAKE_CURRENT_BINARY_DIR}/${name}_labels.cmake")
    file(WRITE "${labels}" "if(DEFINED ${name}_TESTS)\n"
        "  set_tests_properties(\${${name}_TESTS} PROPERTIES LABELS \"${T_LABELS}\")\n"
        "endif()\n")
    set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES "${labels}")
endfunction()
