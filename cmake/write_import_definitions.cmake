# Writes a module-definition file listing every function an import library imports from DLL.
# Run as: cmake -DNM=... -DIMPORT_LIBRARY=... -DDLL=... -DOUTPUT=... -P this file
execute_process(COMMAND ${NM} -g --defined-only ${IMPORT_LIBRARY}
                OUTPUT_VARIABLE symbols RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${NM} could not read ${IMPORT_LIBRARY}")
endif()
string(REGEX MATCHALL "__imp_[A-Za-z0-9_@]+" imports "${symbols}")
list(REMOVE_DUPLICATES imports)
list(SORT imports)
set(text "LIBRARY ${DLL}\nEXPORTS\n")
foreach(import IN LISTS imports)
  string(REGEX REPLACE "^__imp_" "" name ${import})
  string(APPEND text "  ${name}\n")
endforeach()
file(WRITE ${OUTPUT} "${text}")
