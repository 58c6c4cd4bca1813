# plenwick_delay_import(<target> <dll> <function>@<argument bytes>...)
#
# Links <target> to <dll> through a delay-import library made with dlltool: the DLL is loaded at
# the first call of one of the functions instead of when the program starts, so a program that
# never calls them never pays for loading it. The argument bytes are those of the 32-bit
# __stdcall name, which the 32-bit build links against; the 64-bit build drops them.
function(plenwick_delay_import target dll)
  set(def ${CMAKE_CURRENT_BINARY_DIR}/${dll}-delay.def)
  set(lib ${CMAKE_CURRENT_BINARY_DIR}/lib${dll}-delay.a)
  set(text "LIBRARY ${dll}.dll\nEXPORTS\n")
  foreach(function IN LISTS ARGN)
    if(NOT PLENWICK_MINGW_ARCH STREQUAL "i686")
      string(REGEX REPLACE "@[0-9]+$" "" function ${function})
    endif()
    string(APPEND text "${function}\n")
  endforeach()
  file(CONFIGURE OUTPUT ${def} CONTENT "${text}")
  # Decorated names in, the DLL's plain export names out.
  set(kill)
  if(PLENWICK_MINGW_ARCH STREQUAL "i686")
    set(kill --kill-at)
  endif()
  add_custom_command(OUTPUT ${lib}
                     COMMAND ${PLENWICK_MINGW_TRIPLE}-dlltool --input-def ${def} --dllname
                             ${dll}.dll --output-delaylib ${lib} ${kill}
                     DEPENDS ${def}
                     COMMENT "Delay-import library for ${dll}.dll")
  add_custom_target(${target}-${dll}-delay DEPENDS ${lib})
  add_dependencies(${target} ${target}-${dll}-delay)
  target_link_libraries(${target} PUBLIC ${lib})
endfunction()
