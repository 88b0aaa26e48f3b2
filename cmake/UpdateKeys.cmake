# orbavintel_generate_update_keys(header keys): writes |header|, the table of the update keys
# whose signatures the updater accepts, from |keys|, a list of ECDSA P-256 public key files
# (PEM or DER SubjectPublicKeyInfo; relative paths start at the source folder). An empty list
# gives an empty table. A file that is not such a key stops the configure.
function(orbavintel_generate_update_keys header keys)
  find_program(ORBAVINTEL_PYTHON3 NAMES python3 PATHS /usr/bin NO_DEFAULT_PATH)
  find_program(ORBAVINTEL_PYTHON3 NAMES python3 python REQUIRED)
  set(script ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/update_keys.py)
  set(files)
  foreach(key IN LISTS keys)
    file(REAL_PATH ${key} path BASE_DIRECTORY ${PROJECT_SOURCE_DIR})
    list(APPEND files ${path})
  endforeach()
  execute_process(COMMAND ${ORBAVINTEL_PYTHON3} ${script} ${header} ${files}
                  RESULT_VARIABLE result OUTPUT_VARIABLE accepted ERROR_VARIABLE reason)
  if(NOT result EQUAL 0)
    string(STRIP "${reason}" reason)
    message(FATAL_ERROR "Update keys refused: ${reason}")
  endif()
  # A changed key file (or the script) must regenerate the table.
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${script} ${files})
  if(files)
    string(STRIP "${accepted}" accepted)
    string(REPLACE "\n" "\n   " accepted "${accepted}")
    message(STATUS "Update keys (id, file) for ${header}:\n   ${accepted}")
  endif()
endfunction()
