# GoogleTest from the sources Debian installs (package googletest), built with our compilers so
# that the same suites run natively and, cross-compiled, under Wine.
set(NIMBREL_GOOGLETEST_DIR "/usr/src/googletest" CACHE PATH "GoogleTest source folder")
find_package(Threads REQUIRED)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
add_subdirectory("${NIMBREL_GOOGLETEST_DIR}" "${CMAKE_BINARY_DIR}/googletest" EXCLUDE_FROM_ALL)
include(GoogleTest)

# Adds one GoogleTest program and registers its cases with CTest (run under Wine when crossing).
function(nimbrel_add_gtest name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest_main)
    nimbrel_warnings(${name})
    add_test(NAME ${name} COMMAND ${name} --gtest_brief=1)
    set_tests_properties(${name} PROPERTIES LABELS unit TIMEOUT 300)
endfunction()
