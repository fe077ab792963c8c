# Cross build of the Windows game with Debian's mingw-w64 (64-bit):
#
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
#         -DVALKRON_DATA_BUILD=build
#
# VALKRON_DATA_BUILD is a Linux build whose generator made the game data
# (its game/ folder) and the five WAVE files (its generated/ folder).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VALKRON_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${VALKRON_MINGW_PREFIX}-gcc)
set(CMAKE_CXX_COMPILER ${VALKRON_MINGW_PREFIX}-g++)
set(CMAKE_RC_COMPILER ${VALKRON_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${VALKRON_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
