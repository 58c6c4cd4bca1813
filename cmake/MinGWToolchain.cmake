# Shared body of the two MinGW-w64 toolchain files: set PLENWICK_MINGW_ARCH (x86_64 or i686)
# before including it.
#
# The -posix flavour of the compilers: the -win32 one has no std::thread or std::mutex. Programs
# link statically, so a built .exe needs no DLL beyond those of Windows itself.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${PLENWICK_MINGW_ARCH})
set(PLENWICK_MINGW_TRIPLE ${PLENWICK_MINGW_ARCH}-w64-mingw32)

set(CMAKE_C_COMPILER ${PLENWICK_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${PLENWICK_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${PLENWICK_MINGW_TRIPLE}-windres)
set(CMAKE_AR ${PLENWICK_MINGW_TRIPLE}-gcc-ar-posix CACHE FILEPATH "")
set(CMAKE_RANLIB ${PLENWICK_MINGW_TRIPLE}-gcc-ranlib-posix CACHE FILEPATH "")

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++")

# Libraries Debian has no MinGW package of are cross-built once by build-windows-deps.sh into
# build/windows-deps/<arch>; another place can be named with PLENWICK_WINDOWS_DEPS (environment).
if(DEFINED ENV{PLENWICK_WINDOWS_DEPS})
  set(PLENWICK_WINDOWS_DEPS_DIR $ENV{PLENWICK_WINDOWS_DEPS})
else()
  get_filename_component(PLENWICK_WINDOWS_DEPS_DIR
                         ${CMAKE_CURRENT_LIST_DIR}/../build/windows-deps/${PLENWICK_MINGW_ARCH} ABSOLUTE)
endif()

set(CMAKE_FIND_ROOT_PATH /usr/${PLENWICK_MINGW_TRIPLE} ${PLENWICK_WINDOWS_DEPS_DIR})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# zlib comes from libz-mingw-w64-dev, which also ships a DLL import library: take the archive.
set(ZLIB_USE_STATIC_LIBS ON)

# The cross pkg-config, looking only at the libraries built for this architecture (the host's
# own .pc files describe Linux libraries).
set(PKG_CONFIG_EXECUTABLE ${PLENWICK_MINGW_TRIPLE}-pkg-config CACHE FILEPATH "")
set(ENV{PKG_CONFIG_LIBDIR} ${PLENWICK_WINDOWS_DEPS_DIR}/lib/pkgconfig)
