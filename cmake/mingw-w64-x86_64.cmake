# Cross build for 64-bit Windows with Debian's MinGW-w64 (posix thread model, so std::thread
# and std::mutex are the usual ones). The programs are linked statically: they need no DLL
# beyond those Windows itself has. Tests run under Wine in a prefix of the build tree's own.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(KELNOR_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${KELNOR_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KELNOR_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${KELNOR_MINGW}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${KELNOR_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# libstdc++, libgcc and winpthread inside every program.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Test programs run under Wine, quietly, in a prefix of this build tree's own (KELNOR_WINEPREFIX
# to choose another), so a build never touches the user's ~/.wine.
set(KELNOR_WINEPREFIX "${CMAKE_BINARY_DIR}/wineprefix" CACHE PATH "Wine prefix for the tests")
set(CMAKE_CROSSCOMPILING_EMULATOR env WINEPREFIX=${KELNOR_WINEPREFIX} WINEDEBUG=-all wine)
