# Common settings for every target of our own code.
function(orlo_defaults target)
    target_compile_features(${target} PUBLIC cxx_std_20)
    if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
        target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Werror)
        if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
            # GCC 12 at -O3 (Release) reports overlaps inside std::string's own operator+ where text is
            # put in front of a string (GCC bug 105329); which call sites trip it changes with inlining.
            target_compile_options(${target} PRIVATE $<$<CONFIG:Release>:-Wno-restrict>)
        endif()
        if(ORLO_SANITIZE)
            # The normal build is the warning gate; instrumented code gives the optimiser's
            # flow warnings false positives inside the standard library.
            target_compile_options(${target} PRIVATE -Wno-error)
        endif()
    endif()
endfunction()

# A GoogleTest executable registered with CTest, one test entry per test case.
function(orlo_add_gtest name)
    cmake_parse_arguments(ARG "" "TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    orlo_defaults(${name})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} orlo_test_support GTest::gtest GTest::gmock GTest::gtest_main
                          Threads::Threads)
    if(NOT ARG_TIMEOUT)
        set(ARG_TIMEOUT 120)
    endif()
    # A cross build lists its tests when ctest runs (under the emulator), not while building.
    if(CMAKE_CROSSCOMPILING)
        set(discovery_mode PRE_TEST)
    else()
        set(discovery_mode POST_BUILD)
    endif()
    gtest_discover_tests(${name}
        WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
        DISCOVERY_MODE ${discovery_mode}
        DISCOVERY_TIMEOUT 60
        PROPERTIES TIMEOUT ${ARG_TIMEOUT} LABELS "${ARG_LABELS}")
endfunction()

# Sources that hold operating-system code: on Windows each X.cpp is replaced by XWin32.cpp beside it.
function(orlo_os_sources out)
    set(result)
    foreach(source IN LISTS ARGN)
        if(WIN32)
            string(REGEX REPLACE "\\.cpp$" "Win32.cpp" source ${source})
        endif()
        list(APPEND result ${source})
    endforeach()
    set(${out} ${result} PARENT_SCOPE)
endfunction()

# A static Qt (the Windows build) links only the default platform plugin into a program; tests and
# the screenshot mode also need the offscreen one.
function(orlo_import_offscreen_plugin target)
    if(TARGET Qt6::QOffscreenIntegrationPlugin)
        get_target_property(qt_type Qt6::Core TYPE)
        if(qt_type STREQUAL "STATIC_LIBRARY")
            qt_import_plugins(${target} INCLUDE Qt6::QOffscreenIntegrationPlugin)
        endif()
    endif()
endfunction()
