# Run by CPack on the staged tree before it packs it: the .deb leaves out what
# Debian keeps elsewhere. The licence text is in /usr/share/common-licenses (the
# copyright file points there), and the compiler's .comment section is dropped
# as Debian's own packages drop it; the .tar.gz keeps both.
if(NOT CPACK_GENERATOR STREQUAL "DEB")
  return()
endif()
file(GLOB_RECURSE licence ${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*/share/doc/tobrak/LICENSE)
file(REMOVE ${licence})
file(GLOB programs ${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*/bin/*)
foreach(program ${programs})
  execute_process(COMMAND ${CPACK_TOBRAK_OBJCOPY} --remove-section=.comment ${program} RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "objcopy failed on ${program}")
  endif()
endforeach()
