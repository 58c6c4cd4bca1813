# Cross-building for 64-bit Windows on Debian (g++-mingw-w64-x86-64-posix). Tests and programs
# run under wine64 through run-under-wine64.sh, each build folder with a wine prefix of its own.
set(PLENWICK_MINGW_ARCH x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/MinGWToolchain.cmake)

set(CMAKE_CROSSCOMPILING_EMULATOR /bin/sh ${CMAKE_CURRENT_LIST_DIR}/run-under-wine64.sh
                                  ${CMAKE_BINARY_DIR}/wineprefix)
