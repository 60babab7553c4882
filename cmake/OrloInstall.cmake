# What `cmake --install` puts where (relative to the prefix), and so what the packages hold.
# packaging/installed-files.txt lists the result; the install test and the package check hold
# both to it.
include(GNUInstallDirs)

set(ORLO_DATA_DESTINATION ${CMAKE_INSTALL_DATADIR}/orlo-x1)

# On Windows one folder holds the programs, conf\aml.dat beside them and a short README.txt: the
# user unpacks it anywhere and the desktop tool keeps its files there (or in %LOCALAPPDATA%).
if(WIN32)
    set(ORLO_PROGRAM_DESTINATION .)
    set(ORLO_MODE_LIST_DESTINATION conf)
    if(TARGET orlo-setup)
        install(FILES ${PROJECT_SOURCE_DIR}/packaging/windows/README.txt DESTINATION .)
    endif()
else()
    set(ORLO_PROGRAM_DESTINATION ${CMAKE_INSTALL_BINDIR})
    set(ORLO_MODE_LIST_DESTINATION ${ORLO_DATA_DESTINATION}/conf)
endif()
set(installed_programs orloctl orlo-sim)
if(TARGET orlo-setup)
    list(APPEND installed_programs orlo-setup)
    # The sample mode list, found there when the user's folder has no conf/aml.dat.
    install(FILES ${ORLO_SAMPLE_MODE_LIST} DESTINATION ${ORLO_MODE_LIST_DESTINATION})
endif()
foreach(program IN LISTS installed_programs)
    if(TARGET ${program})
        install(TARGETS ${program} RUNTIME DESTINATION ${ORLO_PROGRAM_DESTINATION})
    endif()
endforeach()

if(UNIX AND NOT APPLE)
    if(TARGET orlo-setup)
        install(FILES ${PROJECT_SOURCE_DIR}/packaging/orlo-setup.desktop
                DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
        install(DIRECTORY ${ORLO_ICON_THEME_DIR}/hicolor DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)
    endif()

    # Manual pages, compressed as Debian keeps them (-n: no time stamp, so builds are repeatable).
    find_program(ORLO_GZIP gzip)
    set(manual_files)
    foreach(program IN LISTS installed_programs)
        set(source ${PROJECT_SOURCE_DIR}/packaging/man/${program}.1)
        if(ORLO_GZIP)
            set(manual ${CMAKE_BINARY_DIR}/man/${program}.1.gz)
            add_custom_command(
                OUTPUT ${manual}
                COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
                COMMAND ${ORLO_GZIP} -9 -n -c ${source} > ${manual}
                DEPENDS ${source}
                COMMENT "Compressing the manual page of ${program}")
            list(APPEND manual_files ${manual})
        else()
            list(APPEND manual_files ${source})
        endif()
    endforeach()
    add_custom_target(orlo_manuals ALL DEPENDS ${manual_files})
    install(FILES ${manual_files} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

    if(TARGET orloctl)
        install(FILES ${PROJECT_SOURCE_DIR}/packaging/orloctl.bash-completion
                DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME orloctl)
    endif()
endif()
