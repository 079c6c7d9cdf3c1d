# SPDX-License-Identifier: GPL-3.0-or-later
# Cross compiling for 64-bit Windows with Debian's MinGW-w64 (posix threads:
# g++-mingw-w64-x86-64-posix). Used by scripts/windows for Qt and for Tablora.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)

set(TABLORA_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TABLORA_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TABLORA_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${TABLORA_MINGW}-windres)

# Headers, libraries and CMake packages only from the Windows side; programs
# (the compilers, Qt's host tools) from this machine.
list(APPEND CMAKE_FIND_ROOT_PATH /usr/${TABLORA_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
