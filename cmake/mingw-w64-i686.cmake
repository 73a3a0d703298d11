# Cross build for 32-bit Windows with Debian's mingw-w64 (the posix threads variant), its
# programs run under Wine. The window needs Qt 5.15 built for the same target
# (scripts/provide-qt5-mingw32.sh); name its folder in QUORREL_QT5_MINGW:
#   cmake -S . -B build-win32 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-i686.cmake \
#         -DQUORREL_QT_MAJOR=5 -DQUORREL_QT5_MINGW=$(scripts/provide-qt5-mingw32.sh)
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)

set(QUORREL_MINGW_PREFIX i686-w64-mingw32)
set(CMAKE_C_COMPILER ${QUORREL_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QUORREL_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${QUORREL_MINGW_PREFIX}-windres)

# The target's own libraries, and the Qt built for it: packages are looked for there only.
set(QUORREL_QT5_MINGW "" CACHE PATH "Qt 5.15 for i686 mingw (scripts/provide-qt5-mingw32.sh)")
set(CMAKE_FIND_ROOT_PATH /usr/${QUORREL_MINGW_PREFIX} ${QUORREL_QT5_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# One .exe that needs no DLL of the compiler's: the C++ runtime, libgcc and winpthread are
# linked in.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Programs built here (the tests) are started through Wine.
find_program(QUORREL_WINE wine REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${QUORREL_WINE})
