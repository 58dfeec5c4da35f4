# One library per folder: every .cpp of the folder, its public headers reached from the
# repository root ("platform/base/StringUtils.h").
function(tarnwick_library name)
    cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${ARG_DEPS})
endfunction()

# One test program per folder of tests/. QT gives the program a QApplication (tests of
# widgets, timers, the event loop). Labels: "display" runs on the X server that `make test`
# starts (the others run offscreen), "threads" also runs under `make tsan`.
function(tarnwick_test name)
    cmake_parse_arguments(ARG "QT" "" "DEPS;LABELS" ${ARGN})
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
    add_executable(${name} ${sources})
    target_link_libraries(${name} PRIVATE ${ARG_DEPS} tarnwick_test_support GTest::gtest GTest::gmock)
    if(ARG_QT)
        target_link_libraries(${name} PRIVATE tarnwick_test_main_qt)
    else()
        target_link_libraries(${name} PRIVATE GTest::gtest_main)
    endif()
    set(env "TARNWICK_FIXTURES=${CMAKE_SOURCE_DIR}/tests/fixtures")
    if(NOT "display" IN_LIST ARG_LABELS)
        list(APPEND env "QT_QPA_PLATFORM=offscreen")
    endif()
    list(APPEND env "QTWEBENGINE_DISABLE_SANDBOX=1" "QTWEBENGINE_CHROMIUM_FLAGS=--disable-gpu")
    gtest_discover_tests(${name}
        DISCOVERY_MODE PRE_TEST
        PROPERTIES LABELS "${ARG_LABELS}")
    # The environment is set once the tests are known: passed through the discovery's own
    # properties, a list keeps only its first variable.
    set(env_script ${CMAKE_CURRENT_BINARY_DIR}/${name}_environment.cmake)
    file(WRITE ${env_script}
        "if(${name}_TESTS)\n  set_tests_properties(\${${name}_TESTS} PROPERTIES ENVIRONMENT \"${env}\")\nendif()\n")
    set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${env_script})
endfunction()

function(tarnwick_bench name)
    cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
    add_executable(${name} ${ARG_UNPARSED_ARGUMENTS})
    target_link_libraries(${name} PRIVATE ${ARG_DEPS} benchmark::benchmark benchmark::benchmark_main)
endfunction()
