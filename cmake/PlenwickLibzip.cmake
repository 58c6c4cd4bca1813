# plenwick_libzip: libzip for whichever target links it. On Linux Debian's libzip-dev through
# pkg-config; on Windows the static library build-windows-deps.sh made, whose CMake package
# carries its own dependencies (zlib, advapi32) but not the define that turns off dllimport.
include_guard(GLOBAL)

add_library(plenwick_libzip INTERFACE)
if(WIN32)
  find_package(ZLIB REQUIRED GLOBAL)
  find_package(libzip CONFIG REQUIRED GLOBAL)
  target_link_libraries(plenwick_libzip INTERFACE libzip::zip)
  target_compile_definitions(plenwick_libzip INTERFACE ZIP_STATIC)
else()
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(PLENWICK_LIBZIP REQUIRED IMPORTED_TARGET GLOBAL libzip)
  target_link_libraries(plenwick_libzip INTERFACE PkgConfig::PLENWICK_LIBZIP)
endif()
