# Laying out bundles and the stage folder with real outputs, so that a build
# with nothing changed copies nothing.
#
#   updater_stage(<list variable> <destination folder>
#                 [TARGETS <target>...] [FILES <file>...] [NAME <file name>]
#                 [RUNPATH <folder relative to the copy>])
#
# Copies each target's file (or each file) into the folder and appends the
# copies to the list variable. NAME renames a single copy. RUNPATH gives each
# copied program or library the RUNPATH $ORIGIN/<folder>, so that it finds the
# project libraries beside it wherever the folder is moved.
updater_require_program(UPDATER_PATCHELF patchelf DEBIAN patchelf)

function(updater_stage list destination)
  cmake_parse_arguments(STAGE "" "NAME;RUNPATH" "TARGETS;FILES" ${ARGN})
  set(outputs ${${list}})
  foreach(target IN LISTS STAGE_TARGETS)
    if(STAGE_NAME)
      set(name ${STAGE_NAME})
    else()
      _updater_file_name(name ${target})
    endif()
    _updater_stage_one(outputs $<TARGET_FILE:${target}> ${destination}/${name} ${target})
  endforeach()
  foreach(file IN LISTS STAGE_FILES)
    if(STAGE_NAME)
      set(name ${STAGE_NAME})
    else()
      get_filename_component(name ${file} NAME)
    endif()
    _updater_stage_one(outputs ${file} ${destination}/${name} ${file})
  endforeach()
  set(${list} ${outputs} PARENT_SCOPE)
endfunction()

function(_updater_stage_one list source copy dependency)
  set(runpath "")
  if(DEFINED STAGE_RUNPATH)
    set(runpath -DRUNPATH=${STAGE_RUNPATH} -DPATCHELF=${UPDATER_PATCHELF})
  endif()
  add_custom_command(OUTPUT ${copy}
    COMMAND ${CMAKE_COMMAND} -DSOURCE=${source} -DCOPY=${copy} ${runpath}
            -P ${PROJECT_SOURCE_DIR}/cmake/stage_copy.cmake
    DEPENDS ${dependency} ${PROJECT_SOURCE_DIR}/cmake/stage_copy.cmake
    VERBATIM)
  set(${list} ${${list}} ${copy} PARENT_SCOPE)
endfunction()

# The file name a target builds, worked out from its properties, since the
# output of a command may not name it through a generator expression.
function(_updater_file_name variable target)
  get_target_property(type ${target} TYPE)
  get_target_property(base ${target} OUTPUT_NAME)
  if(NOT base)
    set(base ${target})
  endif()
  if(type STREQUAL "EXECUTABLE")
    set(${variable} ${base} PARENT_SCOPE)
    return()
  endif()
  get_target_property(prefix ${target} PREFIX)
  get_target_property(suffix ${target} SUFFIX)
  if(prefix STREQUAL "prefix-NOTFOUND")
    set(prefix ${CMAKE_SHARED_LIBRARY_PREFIX})
  endif()
  if(suffix STREQUAL "suffix-NOTFOUND")
    set(suffix ${CMAKE_SHARED_LIBRARY_SUFFIX})
  endif()
  get_target_property(soversion ${target} SOVERSION)
  if(type STREQUAL "SHARED_LIBRARY" AND soversion)
    set(suffix ${suffix}.${soversion})
  endif()
  set(${variable} ${prefix}${base}${suffix} PARENT_SCOPE)
endfunction()
