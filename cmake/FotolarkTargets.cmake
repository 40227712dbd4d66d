# Helpers shared by every folder's CMakeLists.txt.
include(GoogleTest)

# Per-test scratch space so that tests never touch the user's settings or pictures.
set(FOTOLARK_TEST_HOME ${CMAKE_BINARY_DIR}/test-home)

# fotolark_add_test(<name> SOURCES <files...> LIBS <targets...> [THREAD_TESTS <gtest filter>])
# A GoogleTest program whose tests ctest lists one by one. Widgets run offscreen, and each
# test has a settings file of its own (tests/support/isolated_settings.cpp). The tests that
# THREAD_TESTS selects (for example "CacheThreadTest.*:DriveJobTest.*", or "*") carry the
# ctest label `threads`, which the test command and tools/stress-tests.sh run repeatedly.
function(fotolark_add_test name)
    cmake_parse_arguments(T "" "THREAD_TESTS" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${T_SOURCES} ${CMAKE_SOURCE_DIR}/tests/support/isolated_settings.cpp)
    target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock GTest::gtest_main Qt6::Core)
    target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests/support)
    target_compile_definitions(${name} PRIVATE FOTOLARK_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
                                               FOTOLARK_BINARY_DIR="${CMAKE_BINARY_DIR}")
    file(MAKE_DIRECTORY ${FOTOLARK_TEST_HOME}/${name})
    set(environment
        "QT_QPA_PLATFORM=offscreen;HOME=${FOTOLARK_TEST_HOME}/${name};XDG_CONFIG_HOME=${FOTOLARK_TEST_HOME}/${name}/.config")
    if(T_THREAD_TESTS)
        gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
            TEST_FILTER "${T_THREAD_TESTS}"
            PROPERTIES ENVIRONMENT "${environment}" LABELS threads)
    endif()
    if(NOT T_THREAD_TESTS STREQUAL "*")
        set(others "*")
        if(T_THREAD_TESTS)
            set(others "-${T_THREAD_TESTS}")
        endif()
        gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
            TEST_FILTER "${others}"
            PROPERTIES ENVIRONMENT "${environment}")
    endif()
endfunction()

# fotolark_add_bench(<name> SOURCES <files...> LIBS <targets...>)
# A Google Benchmark program, built by the `benchmarks` target and never run as a test.
if(NOT TARGET benchmarks)
    add_custom_target(benchmarks)
endif()
function(fotolark_add_bench name)
    cmake_parse_arguments(B "" "" "SOURCES;LIBS" ${ARGN})
    if(NOT TARGET benchmark::benchmark)
        return()
    endif()
    add_executable(${name} EXCLUDE_FROM_ALL ${B_SOURCES})
    target_link_libraries(${name} PRIVATE ${B_LIBS} benchmark::benchmark)
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/benchmarks)
    add_dependencies(benchmarks ${name})
endfunction()

# Adds every subfolder of the current folder that has a CMakeLists.txt.
function(fotolark_add_subfolders)
    file(GLOB dirs LIST_DIRECTORIES true ${CMAKE_CURRENT_SOURCE_DIR}/*)
    foreach(dir ${dirs})
        if(EXISTS ${dir}/CMakeLists.txt)
            add_subdirectory(${dir})
        endif()
    endforeach()
endfunction()
