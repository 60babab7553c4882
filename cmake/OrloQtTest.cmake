# A Qt Test executable registered with CTest, run offscreen, labelled "ui".
function(orlo_add_qtest name)
    cmake_parse_arguments(ARG "" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    orlo_defaults(${name})
    set_target_properties(${name} PROPERTIES AUTOMOC ON)
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} Qt6::Test Qt6::Widgets Threads::Threads)
    if(NOT ARG_TIMEOUT)
        set(ARG_TIMEOUT 60)
    endif()
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen"
        LABELS ui
        TIMEOUT ${ARG_TIMEOUT}
        WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
endfunction()
