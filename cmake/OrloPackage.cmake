# CPack: a Debian package of everything installed (scripts/package.sh), and on Windows a ZIP (and an
# NSIS installer where makensis is found) of the Qt-free programs.
set(CPACK_PACKAGE_NAME orlo-x1)
set(CPACK_PACKAGE_VENDOR "Orlo-X1 set-up tool developers")
set(ORLO_PACKAGE_CONTACT "Orlo-X1 set-up tool developers <orlo-x1@localhost>"
    CACHE STRING "the packages' maintainer, name and mail address")
set(CPACK_PACKAGE_CONTACT ${ORLO_PACKAGE_CONTACT})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Installation and set-up tool for the Orlo-X1 people-detection sensor")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_INSTALL_DIRECTORY "Orlo-X1")
set(CPACK_STRIP_FILES ON)

if(CMAKE_SYSTEM_NAME STREQUAL "Windows")
    set(CPACK_GENERATOR ZIP)
    find_program(ORLO_MAKENSIS makensis)
    if(ORLO_MAKENSIS)
        list(APPEND CPACK_GENERATOR NSIS)
        set(CPACK_NSIS_DISPLAY_NAME "Orlo-X1 command-line tools")
        set(CPACK_NSIS_MODIFY_PATH ON)
    endif()
    set(CPACK_PACKAGE_FILE_NAME ${CPACK_PACKAGE_NAME}-${PROJECT_VERSION}-windows-x64)
else()
    set(CPACK_GENERATOR DEB)
    set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
    set(CPACK_DEBIAN_PACKAGE_SECTION utils)
    set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
    set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
        "Installation and set-up tool for the Orlo-X1 people-detection sensor\n"
        "orlo-setup (desktop tool, Japanese user interface), orloctl (command line, for scripted\n"
        "installs and diagnostics) and orlo-sim (a simulated sensor).")
    # Dependencies are the packages of the libraries the programs link, found by dpkg-shlibdeps
    # (Debian's libqt6gui6 brings the X11 plug-in along).
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
    set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-noto-cjk, qt6-translations-l10n")
    set(CPACK_DEBIAN_PACKAGE_SUGGESTS "bash-completion")
endif()

include(CPack)
