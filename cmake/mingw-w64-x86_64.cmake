# Cross build for 64-bit Windows with Debian's mingw-w64. The posix thread model is the one whose
# libstdc++ has std::thread, std::mutex and std::condition_variable.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(ORLO_MINGW_TRIPLE x86_64-w64-mingw32)

set(CMAKE_C_COMPILER ${ORLO_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ORLO_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${ORLO_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${ORLO_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Static runtime: the programs run under Wine or on a bare Windows without extra DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
# Windows 8 API level: IcmpSendEcho2 with an APC routine, WSAPoll, SetupAPI device properties.
add_compile_definitions(_WIN32_WINNT=0x0602 WINVER=0x0602 WIN32_LEAN_AND_MEAN NOMINMAX UNICODE _UNICODE)

find_program(ORLO_WINE wine)
if(ORLO_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${ORLO_WINE})
endif()
