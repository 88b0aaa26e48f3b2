# The files the art generator writes, shared by the target that draws them
# (tools/art/CMakeLists.txt) and the resource script that embeds them
# (installer/ui/resources/resources.cmake).
set(ORBAVINTEL_ART_DIR ${CMAKE_BINARY_DIR}/art)
set(ORBAVINTEL_ART_FILES ${ORBAVINTEL_ART_DIR}/app.ico)
foreach(id RANGE 102 118)
  list(APPEND ORBAVINTEL_ART_FILES ${ORBAVINTEL_ART_DIR}/${id}.png)
endforeach()
