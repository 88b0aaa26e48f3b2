# The files the art generator writes, shared by the target that draws them
# (tools/art/CMakeLists.txt) and the resource script that embeds them
# (installer/ui/resources/resources.cmake).
set(ORBAVINTEL_ART_DIR ${CMAKE_BINARY_DIR}/art)
set(ORBAVINTEL_ART_FILES ${ORBAVINTEL_ART_DIR}/app.ico)
foreach(id RANGE 102 118)
  list(APPEND ORBAVINTEL_ART_FILES ${ORBAVINTEL_ART_DIR}/${id}.png)
endforeach()
# The pictures and glyphs drawn for 125, 150 and 200 %, and the script lines that embed them.
foreach(offset 1000 2000 3000)
  foreach(id RANGE 102 118)
    math(EXPR scaled_id "${id} + ${offset}")
    list(APPEND ORBAVINTEL_ART_FILES ${ORBAVINTEL_ART_DIR}/${scaled_id}.png)
  endforeach()
endforeach()
list(APPEND ORBAVINTEL_ART_FILES ${ORBAVINTEL_ART_DIR}/scaled_art.rc)
