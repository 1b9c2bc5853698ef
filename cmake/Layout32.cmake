# The 32-bit layout checks: sources of the plug-in layer compiled with
# -m32 -fsyntax-only as build steps, each file a step of its own so that they
# run beside the rest of the build, and a static_assert that fails fails the
# build. Whether the compiler can target -m32 is found out once; without it
# configure says so and the test Layout32 reports the checks skipped.
#
#   updater_layout32_check(<name> SOURCES <files...> INCLUDES <folders...>)

include(CheckCXXSourceCompiles)
set(CMAKE_REQUIRED_FLAGS -m32)
set(CMAKE_REQUIRED_QUIET ON)
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)
check_cxx_source_compiles("#include <cstddef>
#include <cstdint>
#include <cstring>
static_assert(sizeof(void*) == 4);
int f() { return 0; }" UPDATER_CAN_COMPILE_M32)
unset(CMAKE_REQUIRED_FLAGS)
unset(CMAKE_REQUIRED_QUIET)
unset(CMAKE_TRY_COMPILE_TARGET_TYPE)

if(UPDATER_CAN_COMPILE_M32)
  add_custom_target(layout32 ALL)
else()
  message(STATUS "32-bit layout checks skipped: the compiler cannot target -m32 "
                 "(the Debian package g++-multilib brings it)")
  add_test(NAME Layout32
    COMMAND sh -c "echo 'skipped: the compiler cannot target -m32 (install g++-multilib)'; exit 77")
  set_tests_properties(Layout32 PROPERTIES SKIP_RETURN_CODE 77)
endif()

function(updater_layout32_check name)
  if(NOT UPDATER_CAN_COMPILE_M32)
    return()
  endif()
  cmake_parse_arguments(CHECK "" "" "SOURCES;INCLUDES" ${ARGN})
  set(includes "")
  foreach(folder IN LISTS CHECK_INCLUDES)
    list(APPEND includes -I${folder})
  endforeach()
  set(stamps "")
  foreach(source IN LISTS CHECK_SOURCES)
    get_filename_component(base ${source} NAME)
    set(stamp ${CMAKE_CURRENT_BINARY_DIR}/layout32/${name}/${base}.checked)
    if(source MATCHES "\\.c$")
      set(compile ${CMAKE_C_COMPILER} -std=c11 -pedantic)
    else()
      set(compile ${CMAKE_CXX_COMPILER} -std=c++20)
    endif()
    # The compiler's dependency file lets a changed header rerun the step.
    add_custom_command(OUTPUT ${stamp}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/layout32/${name}
      COMMAND ${compile} -m32 -fsyntax-only -Wall -Wextra -Werror ${includes}
              -MD -MF ${stamp}.d -MT ${stamp} ${source}
      COMMAND ${CMAKE_COMMAND} -E touch ${stamp}
      DEPENDS ${source}
      DEPFILE ${stamp}.d
      COMMENT "32-bit layout check: ${name} ${base}"
      VERBATIM)
    list(APPEND stamps ${stamp})
  endforeach()
  add_custom_target(layout32_${name} DEPENDS ${stamps})
  add_dependencies(layout32 layout32_${name})
endfunction()
