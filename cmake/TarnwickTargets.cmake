# One library per folder: every .cpp of the folder (but those named by EXCLUDE, such as a
# program's main), or only those named by SOURCES where a folder holds two libraries. Its users
# reach its headers from the repository root ("platform/base/StringUtils.h"), but only its own:
# each library gets a folder of links to its headers, and that folder is all it exposes, so a
# library that may not use another cannot include it.
function(tarnwick_library name)
    cmake_parse_arguments(ARG "" "" "DEPS;EXCLUDE;SOURCES;HEADERS" ${ARGN})
    if(ARG_SOURCES)
        list(TRANSFORM ARG_SOURCES PREPEND ${CMAKE_CURRENT_SOURCE_DIR}/ OUTPUT_VARIABLE sources)
        list(TRANSFORM ARG_HEADERS PREPEND ${CMAKE_CURRENT_SOURCE_DIR}/ OUTPUT_VARIABLE headers)
    else()
        file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
        file(GLOB headers CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
    endif()
    set(kept_out "")
    foreach(excluded IN LISTS ARG_EXCLUDE)
        list(REMOVE_ITEM sources ${CMAKE_CURRENT_SOURCE_DIR}/${excluded})
        list(APPEND kept_out ${CMAKE_CURRENT_SOURCE_DIR}/${excluded})
    endforeach()
    add_library(${name} STATIC ${sources} ${headers})
    # A file kept out still belongs to the folder's library for the include check, whichever
    # programs build it (some only under a sanitizer).
    set_property(TARGET ${name} PROPERTY TARNWICK_KEPT_OUT ${kept_out})
    tarnwick_expose_headers(${name} ${headers})
    target_link_libraries(${name} PUBLIC ${ARG_DEPS})
endfunction()

# Splits the files of the current folder in two: those whose names (without extension) are
# listed go to <prefix>_PICKED_SOURCES/_HEADERS, the others to <prefix>_OTHER_SOURCES/_HEADERS,
# so a new file joins the other part unless it is named.
function(tarnwick_split_folder prefix)
    file(GLOB files CONFIGURE_DEPENDS RELATIVE ${CMAKE_CURRENT_SOURCE_DIR}
         ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
    foreach(kind PICKED OTHER)
        set(${kind}_SOURCES "")
        set(${kind}_HEADERS "")
    endforeach()
    foreach(file IN LISTS files)
        get_filename_component(stem ${file} NAME_WE)
        get_filename_component(extension ${file} LAST_EXT)
        set(kind OTHER)
        if(stem IN_LIST ARGN)
            set(kind PICKED)
        endif()
        if(extension STREQUAL ".h")
            list(APPEND ${kind}_HEADERS ${file})
        else()
            list(APPEND ${kind}_SOURCES ${file})
        endif()
    endforeach()
    foreach(kind PICKED OTHER)
        set(${prefix}_${kind}_SOURCES ${${kind}_SOURCES} PARENT_SCOPE)
        set(${prefix}_${kind}_HEADERS ${${kind}_HEADERS} PARENT_SCOPE)
    endforeach()
endfunction()

# Links the given headers under <build>/include/<target>/<folder>/ and makes that the target's
# only include folder of this repository.
function(tarnwick_expose_headers name)
    set(root ${CMAKE_BINARY_DIR}/include/${name})
    file(RELATIVE_PATH folder ${CMAKE_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
    file(REMOVE_RECURSE ${root})
    file(MAKE_DIRECTORY ${root}/${folder})
    foreach(header IN LISTS ARGN)
        get_filename_component(file ${header} NAME)
        file(CREATE_LINK ${header} ${root}/${folder}/${file} SYMBOLIC)
    endforeach()
    target_include_directories(${name} PUBLIC ${root})
endfunction()

# The pictures and cursors compiled into the program ("resources/cursors/ZoomIn.xpm"), for the
# libraries that draw them.
add_library(tarnwick_resources INTERFACE)
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/include/tarnwick_resources)
file(CREATE_LINK ${CMAKE_SOURCE_DIR}/resources ${CMAKE_BINARY_DIR}/include/tarnwick_resources/resources
     SYMBOLIC)
target_include_directories(tarnwick_resources INTERFACE ${CMAKE_BINARY_DIR}/include/tarnwick_resources)

# Registers with CTest the tests of the program `name` that `filter` matches ("" for all),
# labelled `LABELS` (a list) and, with SERIAL, run one at a time; `key` tells this part of the
# program's tests from its others. With TEXT_TAGS_TOO they are registered a second time, run with
# item tags kept as words, as the notes editor keeps them (tests/support/TextTagsRun.h). Only plain
# values go to PROPERTIES (lists given there are split apart on the way to CTest): the labels go on
# once the tests are known, from a file read after the discovery's own, which names them.
function(tarnwick_discover name key filter)
    cmake_parse_arguments(ARG "SERIAL;TEXT_TAGS_TOO" "" "LABELS" ${ARGN})
    set(options DISCOVERY_TIMEOUT 60)
    if(filter)
        list(APPEND options TEST_FILTER "${filter}")
    endif()
    set(serial "")
    if(ARG_SERIAL)
        set(serial RUN_SERIAL TRUE)
    endif()
    set(lists ${name}_${key}_TESTS)
    if(serial)
        gtest_discover_tests(${name} ${options} TEST_LIST ${name}_${key}_TESTS PROPERTIES ${serial})
    else()
        gtest_discover_tests(${name} ${options} TEST_LIST ${name}_${key}_TESTS)
    endif()
    if(ARG_TEXT_TAGS_TOO)
        gtest_discover_tests(${name} ${options} TEST_PREFIX "TextTags."
                             TEST_LIST ${name}_${key}_tags_TESTS
                             PROPERTIES ENVIRONMENT "TARNWICK_TEXT_TAGS=1" ${serial})
        list(APPEND lists ${name}_${key}_tags_TESTS)
    endif()
    if(ARG_LABELS)
        set(text "")
        foreach(list IN LISTS lists)
            string(APPEND text "if(${list})\n"
                   "    set_tests_properties(\${${list}} PROPERTIES LABELS \"${ARG_LABELS}\")\n"
                   "endif()\n")
        endforeach()
        set(labels_file ${CMAKE_CURRENT_BINARY_DIR}/${name}_${key}_labels.cmake)
        file(WRITE ${labels_file} "${text}")
        set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${labels_file})
    endif()
endfunction()

# One test program per folder of tests/. QT gives the program a QApplication (widgets, timers,
# the event loop) on Qt's offscreen platform; with the label "display" it opens the X server
# that `make test` starts instead. GUI gives it a QGuiApplication only, for programs that must
# not link Qt Widgets. The label "threads" also runs the program under `make tsan`. SOURCES
# names the files where a folder holds two programs, EXCLUDE the files of the other.
# PICTURE_SUITES names the suites of pictures (decoding, converting and drawing them), which
# carry the label "pictures": scripts/picture-tests-under-load runs them on a busy machine.
function(tarnwick_test name)
    cmake_parse_arguments(ARG "QT;GUI;TEXT_TAGS_TOO" "" "DEPS;LABELS;SOURCES;EXCLUDE;PICTURE_SUITES"
                          ${ARGN})
    if(ARG_SOURCES)
        set(sources ${ARG_SOURCES})
    else()
        file(GLOB sources CONFIGURE_DEPENDS RELATIVE ${CMAKE_CURRENT_SOURCE_DIR}
             ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
        list(REMOVE_ITEM sources ${ARG_EXCLUDE} "")
    endif()
    add_executable(${name} ${sources})
    target_link_libraries(${name} PRIVATE ${ARG_DEPS} tarnwick_test_support GTest::gtest GTest::gmock)
    if(ARG_GUI)
        target_link_libraries(${name} PRIVATE tarnwick_test_main_gui)
    elseif(ARG_QT AND "display" IN_LIST ARG_LABELS)
        target_link_libraries(${name} PRIVATE tarnwick_test_main_display)
    elseif(ARG_QT)
        target_link_libraries(${name} PRIVATE tarnwick_test_main_qt)
    else()
        target_link_libraries(${name} PRIVATE GTest::gtest_main)
    endif()
    set(how "")
    if("display" IN_LIST ARG_LABELS)
        # Real windows and the embedded browser start slowly under the sanitizers; beside a
        # full parallel run they have been seen to stall, so they run one at a time.
        list(APPEND how SERIAL)
    endif()
    if(ARG_TEXT_TAGS_TOO)
        list(APPEND how TEXT_TAGS_TOO)
    endif()
    if(ARG_PICTURE_SUITES)
        # The picture suites with their label besides the program's, then the rest.
        list(TRANSFORM ARG_PICTURE_SUITES APPEND ".*" OUTPUT_VARIABLE patterns)
        list(JOIN patterns ":" pictures)
        tarnwick_discover(${name} pictures "${pictures}" ${how} LABELS pictures ${ARG_LABELS})
        tarnwick_discover(${name} others "-${pictures}" ${how} LABELS ${ARG_LABELS})
    else()
        tarnwick_discover(${name} all "" ${how} LABELS ${ARG_LABELS})
    endif()
endfunction()

function(tarnwick_bench name)
    cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
    add_executable(${name} ${ARG_UNPARSED_ARGUMENTS})
    # Benchmarks share the tests' helpers, so they see the whole tree as the tests do.
    target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
    target_link_libraries(${name} PRIVATE ${ARG_DEPS} benchmark::benchmark benchmark::benchmark_main)
endfunction()
