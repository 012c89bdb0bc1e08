# GoogleTest: Debian's library natively, its source tree for the cross build.
if(CMAKE_CROSSCOMPILING)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
    # googletest's own tree already defines GTest::gtest and GTest::gtest_main.
else()
    find_package(GTest REQUIRED)
endif()
include(GoogleTest)

# One test executable per area. Natively every case is its own ctest test; under
# Wine one process runs the whole executable, since each Wine start costs time.
function(ardentis_test name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    ardentis_target(${name})
    # The tests' own code is not worth optimising: at -O2 GoogleTest's expanded macros take
    # twice the compile time, and that was half of the optimised trees' build. The program
    # under test comes from its libraries, optimised as shipped.
    target_compile_options(${name} PRIVATE $<$<CONFIG:RelWithDebInfo>:-O0>)
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest_main GTest::gtest)
    if(CMAKE_CROSSCOMPILING)
        # MinGW-w64 GCC 12 in C++23 emits std::type_info::operator== out of line, which then
        # clashes with the static libstdc++'s copy (GCC bug 110572); GoogleTest's TEST_P
        # compares typeids, so every parameterised test executable hits it.
        target_link_options(${name} PRIVATE -Wl,--allow-multiple-definition)
        add_test(NAME ${name} COMMAND ${name})
        set_tests_properties(${name} PROPERTIES TIMEOUT 300)
    else()
        gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 120)
    endif()
endfunction()
