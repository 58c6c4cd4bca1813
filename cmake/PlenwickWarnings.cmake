# plenwick_warnings(target): the warning set every target of ours compiles with.
function(plenwick_warnings target)
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "INTERFACE_LIBRARY")
    return()
  endif()
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wconversion
                                           -Wsign-conversion -Wnon-virtual-dtor -Wold-style-cast
                                           -Woverloaded-virtual -Wimplicit-fallthrough)
  if(PLENWICK_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
