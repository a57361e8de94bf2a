# Shared build settings of every Korvani target.

# Turns on the project's warnings (and -Werror when asked) for one target.
function(korvani_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic
                           -Wnon-virtual-dtor -Wold-style-cast -Wcast-align
                           -Woverloaded-virtual -Wimplicit-fallthrough)
    if(KORVANI_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
endfunction()

# Declares one subsystem library: korvani_library(NAME SOURCES ... LIBS ...).
function(korvani_library name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_library(${name} STATIC ${ARG_SOURCES})
    target_include_directories(${name} PUBLIC "${PROJECT_SOURCE_DIR}")
    target_link_libraries(${name} PUBLIC ${ARG_LIBS})
    korvani_warnings(${name})
endfunction()

# Declares one GoogleTest program and registers its tests with CTest:
# add_unit_test(NAME SOURCES ... LIBS ... [LABELS ...]).
function(add_unit_test name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;LABELS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main)
    target_compile_definitions(${name} PRIVATE
        KORVANI_TEST_DATA_DIR="${PROJECT_SOURCE_DIR}/tests/data")
    korvani_warnings(${name})
    set(labels unit)
    if(ARG_LABELS)
        set(labels ${ARG_LABELS})
    endif()
    gtest_discover_tests(${name} PROPERTIES LABELS "${labels}" TIMEOUT 300
                         DISCOVERY_TIMEOUT 60)
endfunction()

# Declares one QtTest screen program built from NAME.cpp and registers each of its
# test functions with CTest as NAME.function, run on the offscreen platform:
# add_screen_test(NAME LIBS ... [TIMEOUT seconds]).
function(add_screen_test name)
    cmake_parse_arguments(ARG "" "TIMEOUT" "LIBS" ${ARGN})
    if(NOT ARG_TIMEOUT)
        set(ARG_TIMEOUT 120)
    endif()
    add_executable(${name} ${name}.cpp)
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} Qt6::Test)
    set_target_properties(${name} PROPERTIES AUTOMOC ON)
    korvani_warnings(${name})
    set(tests_file "${CMAKE_CURRENT_BINARY_DIR}/${name}_tests.cmake")
    add_custom_command(TARGET ${name} POST_BUILD
        COMMAND "${CMAKE_COMMAND}" -D "PROGRAM=$<TARGET_FILE:${name}>" -D "NAME=${name}"
                -D "OUTPUT=${tests_file}" -D "TIMEOUT=${ARG_TIMEOUT}"
                -P "${PROJECT_SOURCE_DIR}/cmake/DiscoverQtTests.cmake"
        BYPRODUCTS "${tests_file}"
        VERBATIM)
    # A build that leaves the program out (a preset building other tests only) has no
    # list: CTest then sees one test that says so, as for GoogleTest programs.
    set(include_file "${CMAKE_CURRENT_BINARY_DIR}/${name}_include.cmake")
    file(WRITE "${include_file}"
        "if(EXISTS [=[${tests_file}]=])\n"
        "    include([=[${tests_file}]=])\n"
        "else()\n"
        "    add_test([=[${name}_NOT_BUILT]=] [=[${name}_NOT_BUILT]=])\n"
        "endif()\n")
    set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES "${include_file}")
endfunction()
