# Cross-building for 32-bit Windows on Debian (g++-mingw-w64-i686-posix). This machine has no
# 32-bit wine, so nothing built here runs: the build checks that the code compiles for 32 bits.
set(PLENWICK_MINGW_ARCH i686)
include(${CMAKE_CURRENT_LIST_DIR}/MinGWToolchain.cmake)
