# Shared compile settings and small helpers for the project's targets.

set(VOK_WARNINGS -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wold-style-cast
    -Wcast-align -Wunused -Woverloaded-virtual -Wnull-dereference -Wimplicit-fallthrough)
if(VOK_WERROR)
    list(APPEND VOK_WARNINGS -Werror)
endif()

if(VOK_SANITIZE)
    # -O1 keeps instrumented tests quick and builds faster than -O2, as the sanitizer
    # documentation recommends; line tables (-g1) are all a report needs for file and line.
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined
        -O1 -g1)
    add_link_options(-fsanitize=address,undefined)
endif()

if(VOK_TSAN)
    # Same trade-off as above; ThreadSanitizer also recommends -O1 or more.
    add_compile_options(-fsanitize=thread -fno-omit-frame-pointer -O1 -g1)
    add_link_options(-fsanitize=thread)
endif()

if(VOK_FUZZ)
    # Instrument every library for coverage, not only the harnesses, or the fuzzer runs blind.
    # Undefined behaviour aborts, so the fuzzer keeps the input as a crash instead of going on.
    add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined
        -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
endif()

# vok_apply_warnings(target): our own warnings, only on our own targets.
function(vok_apply_warnings target)
    target_compile_options(${target} PRIVATE ${VOK_WARNINGS})
endfunction()

# vok_library(name SOURCES ... DEPS ...): a static library src/<folder> as vok_<name>.
function(vok_library name)
    cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
    add_library(vok_${name} STATIC ${ARG_SOURCES})
    target_include_directories(vok_${name} PUBLIC ${CMAKE_SOURCE_DIR}/src)
    target_link_libraries(vok_${name} PUBLIC ${ARG_DEPS})
    vok_apply_warnings(vok_${name})
endfunction()

# vok_test(name SOURCES ... DEPS ... [GUI] [LABELS ...]): one GoogleTest executable, registered with
# CTest test by test. GUI tests get a QApplication on the offscreen platform.
function(vok_test name)
    cmake_parse_arguments(ARG "GUI" "" "SOURCES;DEPS;LABELS" ${ARGN})
    add_executable(test_${name} ${ARG_SOURCES})
    set_property(GLOBAL APPEND PROPERTY VOK_TEST_TARGETS test_${name})
    if(ARG_GUI)
        target_link_libraries(test_${name} PRIVATE vok_test_main_gui)
    else()
        target_link_libraries(test_${name} PRIVATE vok_test_main)
    endif()
    target_link_libraries(test_${name} PRIVATE ${ARG_DEPS} vok_test_support GTest::gtest GTest::gmock)
    vok_apply_warnings(test_${name})
    gtest_discover_tests(test_${name} DISCOVERY_TIMEOUT 60)
    # gtest_discover_tests hands its PROPERTIES on as one flat list, which splits a list value
    # (two variables, two labels) into properties of its own; so CTest sets them per test from a
    # file it reads after the discovered tests.
    set(properties ${CMAKE_CURRENT_BINARY_DIR}/test_${name}_properties.cmake)
    file(WRITE ${properties}
        "foreach(test IN LISTS test_${name}_TESTS)\n"
        "    set_tests_properties(\"\${test}\" PROPERTIES\n"
        "        ENVIRONMENT \"QT_QPA_PLATFORM=offscreen;SDL_AUDIODRIVER=dummy\"\n"
        "        LABELS \"${ARG_LABELS}\")\n"
        "endforeach()\n")
    set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${properties})
endfunction()
