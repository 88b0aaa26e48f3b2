# orbavintel_add_installer_resources(target): compiles the installer's resource script
# (texts, pictures, icon, version block) into |target|.
#
# The pictures and the icon are not in the source tree: the installer_art target
# (tools/art) draws them into ${CMAKE_BINARY_DIR}/art, which becomes the script's include
# path. Call it from the directory that defines |target|.
include(${PROJECT_SOURCE_DIR}/tools/art/art_files.cmake)
set(ORBAVINTEL_INSTALLER_RC ${CMAKE_CURRENT_LIST_DIR}/installer.rc)

function(orbavintel_add_installer_resources target)
  target_sources(${target} PRIVATE ${ORBAVINTEL_INSTALLER_RC})
  # Only the resource script sees the art folder; the sources of |target| do not.
  set_property(SOURCE ${ORBAVINTEL_INSTALLER_RC} APPEND PROPERTY
               INCLUDE_DIRECTORIES ${ORBAVINTEL_ART_DIR})
  # The resource compiler reports no dependencies, so name them: a redrawn picture or a
  # changed id recompiles the script.
  set_property(SOURCE ${ORBAVINTEL_INSTALLER_RC} APPEND PROPERTY OBJECT_DEPENDS
               ${ORBAVINTEL_ART_FILES} ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/resource_ids.h)
  add_dependencies(${target} installer_art)
endfunction()
