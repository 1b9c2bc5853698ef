# Finding what the build needs, and failing configure with the Debian package
# to install when it is missing (scripts/setup installs them all).
#
#   updater_require_package(<package> DEBIAN <debian package> [find_package args...])
#   updater_require_program(<variable> <program> DEBIAN <debian package>)

# Imported targets belong to the directory, so the caller sees the package's
# targets although its variables stay inside the function.
function(updater_require_package package)
  cmake_parse_arguments(REQ "" "DEBIAN" "" ${ARGN})
  find_package(${package} ${REQ_UNPARSED_ARGUMENTS} QUIET)
  if(NOT ${package}_FOUND)
    message(FATAL_ERROR "${package} (${REQ_UNPARSED_ARGUMENTS}) was not found: "
                        "install the Debian package ${REQ_DEBIAN}, or run scripts/setup")
  endif()
endfunction()

function(updater_require_program variable program)
  cmake_parse_arguments(REQ "" "DEBIAN" "" ${ARGN})
  find_program(${variable} ${program})
  if(NOT ${variable})
    message(FATAL_ERROR "The program ${program} was not found: "
                        "install the Debian package ${REQ_DEBIAN}, or run scripts/setup")
  endif()
endfunction()
