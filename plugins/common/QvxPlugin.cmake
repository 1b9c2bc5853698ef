# qvx_add_plugin(<target> OUTPUT_NAME <file name without .so> SOURCES <files...>)
#
# A plug-in file: a shared module with the plug-in support linked in
# statically, hidden visibility so only REALPluginMain is exported, and no
# undefined symbols, so it cannot reach into the host except through the
# resolver. Lands in ${UPDATER_STAGE_DIR}/plugins unless OUTPUT_DIRECTORY says
# otherwise.
function(qvx_add_plugin target)
  cmake_parse_arguments(PLUGIN "" "OUTPUT_NAME;OUTPUT_DIRECTORY" "SOURCES" ${ARGN})
  if(NOT PLUGIN_OUTPUT_NAME)
    set(PLUGIN_OUTPUT_NAME ${target})
  endif()
  if(NOT PLUGIN_OUTPUT_DIRECTORY)
    set(PLUGIN_OUTPUT_DIRECTORY ${UPDATER_STAGE_DIR}/plugins)
  endif()
  add_library(${target} MODULE ${PLUGIN_SOURCES})
  target_link_libraries(${target} PRIVATE plugincommon)
  # Nothing undefined: the plug-in reaches the host only through the resolver.
  # Symbols of static libraries linked in stay inside the file.
  target_link_options(${target} PRIVATE -Wl,--no-undefined -Wl,--exclude-libs,ALL)
  set_target_properties(${target} PROPERTIES
    PREFIX ""
    SUFFIX ".so"
    OUTPUT_NAME ${PLUGIN_OUTPUT_NAME}
    LIBRARY_OUTPUT_DIRECTORY ${PLUGIN_OUTPUT_DIRECTORY}
    CXX_VISIBILITY_PRESET hidden
    C_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON)
endfunction()
