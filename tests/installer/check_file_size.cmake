# cmake -DFILE=PATH -DLIMIT=BYTES -P check_file_size.cmake: fails when PATH is larger than
# LIMIT bytes, so a build that outgrows a size goal stops there.
file(SIZE "${FILE}" size)
if(size GREATER LIMIT)
  message(FATAL_ERROR "${FILE} is ${size} bytes, more than the ${LIMIT} allowed")
endif()
message(STATUS "${FILE}: ${size} of ${LIMIT} bytes")
