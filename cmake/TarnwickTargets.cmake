# One library per folder: every .cpp of the folder (but those named by EXCLUDE, such as a
# program's main), its public headers reached from the repository root
# ("platform/base/StringUtils.h").
function(tarnwick_library name)
    cmake_parse_arguments(ARG "" "" "DEPS;EXCLUDE" ${ARGN})
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
    foreach(excluded IN LISTS ARG_EXCLUDE)
        list(REMOVE_ITEM sources ${CMAKE_CURRENT_SOURCE_DIR}/${excluded})
    endforeach()
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${ARG_DEPS})
endfunction()

# One test program per folder of tests/. QT gives the program a QApplication (widgets, timers,
# the event loop) on Qt's offscreen platform; with the label "display" it opens the X server
# that `make test` starts instead. The label "threads" also runs the program under `make tsan`.
function(tarnwick_test name)
    cmake_parse_arguments(ARG "QT" "" "DEPS;LABELS" ${ARGN})
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
    add_executable(${name} ${sources})
    target_link_libraries(${name} PRIVATE ${ARG_DEPS} tarnwick_test_support GTest::gtest GTest::gmock)
    if(ARG_QT AND "display" IN_LIST ARG_LABELS)
        target_link_libraries(${name} PRIVATE tarnwick_test_main_display)
    elseif(ARG_QT)
        target_link_libraries(${name} PRIVATE tarnwick_test_main_qt)
    else()
        target_link_libraries(${name} PRIVATE GTest::gtest_main)
    endif()
    # Only plain values here: lists given to PROPERTIES are split apart on the way to CTest.
    if("display" IN_LIST ARG_LABELS)
        # Real windows and the embedded browser start slowly under the sanitizers; beside a
        # full parallel run they have been seen to stall, so they run one at a time.
        gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
                             PROPERTIES LABELS "${ARG_LABELS}" RUN_SERIAL TRUE)
    elseif(ARG_LABELS)
        gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES LABELS "${ARG_LABELS}")
    else()
        gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60)
    endif()
endfunction()

function(tarnwick_bench name)
    cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
    add_executable(${name} ${ARG_UNPARSED_ARGUMENTS})
    target_link_libraries(${name} PRIVATE ${ARG_DEPS} benchmark::benchmark benchmark::benchmark_main)
endfunction()
