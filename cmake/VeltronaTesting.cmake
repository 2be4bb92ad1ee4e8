# veltrona_add_test(NAME SOURCES ... LIBS ...): one GoogleTest executable per area, registered with CTest.
include(GoogleTest)

function(veltrona_add_test name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE veltrona_settings GTest::gtest GTest::gtest_main GTest::gmock ${ARG_LIBS})
    gtest_discover_tests(${name}
        DISCOVERY_TIMEOUT 60
        PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;VELTRONA_BUILD_DIR=${CMAKE_BINARY_DIR}")
endfunction()

# veltrona_add_benchmark(NAME SOURCES ... LIBS ...): a Google Benchmark executable, never run by CTest.
function(veltrona_add_benchmark name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE veltrona_settings benchmark::benchmark ${ARG_LIBS})
endfunction()
