# A Qt Test executable registered with CTest, run offscreen, labelled "ui". With X11 it runs on a
# virtual X server through the xcb platform instead (when xvfb-run is there; the test skips itself
# otherwise), for what only a real window system shows; in the Windows build on Windows' own platform.
function(orlo_add_qtest name)
    cmake_parse_arguments(ARG "X11" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    orlo_defaults(${name})
    set_target_properties(${name} PROPERTIES AUTOMOC ON)
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} orlo_test_support Qt6::Test Qt6::Widgets Threads::Threads)
    orlo_import_offscreen_plugin(${name})
    if(NOT ARG_TIMEOUT)
        set(ARG_TIMEOUT 60)
    endif()
    if(WIN32 AND ARG_TIMEOUT LESS 180)
        # Under Wine a program's start can wait a minute on the wine server (fonts, registry) while the
        # other tests start theirs: seen once as a time-out of a test that takes 3 s.
        set(ARG_TIMEOUT 180)
    endif()
    set(platform offscreen)
    set(command ${name})
    if(WIN32)
        # Wine does not hand QT_QPA_PLATFORM on to the program; without it every window would be a real
        # one on Wine's display, twenty times slower. What only a window system shows gets Windows' own.
        set(command ${name} -platform offscreen)
        if(ARG_X11)
            set(platform windows)
            set(command ${name} -platform windows)
        endif()
    endif()
    if(ARG_X11 AND NOT CMAKE_CROSSCOMPILING)
        find_program(ORLO_XVFB_RUN xvfb-run)
        if(ORLO_XVFB_RUN)
            set(platform xcb)
            set(command ${ORLO_XVFB_RUN} --auto-servernum "--server-args=-screen 0 1280x1024x24"
                $<TARGET_FILE:${name}>)
        endif()
    endif()
    add_test(NAME ${name} COMMAND ${command})
    set_tests_properties(${name} PROPERTIES
        ENVIRONMENT "QT_QPA_PLATFORM=${platform}"
        LABELS ui
        TIMEOUT ${ARG_TIMEOUT}
        WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
endfunction()
