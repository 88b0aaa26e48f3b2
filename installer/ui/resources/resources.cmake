# orbavintel_add_installer_resources(target): compiles the installer's resource script
# (texts, pictures, icon, version block) into |target|. Call it from the directory that
# defines |target|.
#
# The pictures and the icon are not in the source tree: the installer_art target
# (tools/art) draws them into <build>/art, which becomes the script's include path.
function(orbavintel_add_installer_resources target)
  include(${PROJECT_SOURCE_DIR}/tools/art/art_files.cmake)
  set(script ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/installer.rc)
  target_sources(${target} PRIVATE ${script})
  # Only the resource script sees the art folder; the sources of |target| do not.
  set_property(SOURCE ${script} APPEND PROPERTY INCLUDE_DIRECTORIES ${ORBAVINTEL_ART_DIR})
  # The resource compiler reports no dependencies, so name them: a redrawn picture or a
  # changed id recompiles the script.
  set_property(SOURCE ${script} APPEND PROPERTY OBJECT_DEPENDS ${ORBAVINTEL_ART_FILES}
               ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/resource_ids.h)
  add_dependencies(${target} installer_art)
endfunction()
