# orbavintel_delay_load(target DLL...): |target| and whatever links it import each DLL (for
# example "winhttp") lazily, on the first call into it, instead of at process start.
#
# Libraries outside the platform's KnownDLLs are searched for in the program's own folder
# when they are imported statically, before any code of ours can restrict the search. Loaded
# lazily, they are looked up after the program has limited the search to the system folder.
function(orbavintel_delay_load target)
  foreach(dll IN LISTS ARGN)
    if(MSVC)
      target_link_libraries(${target} PUBLIC ${dll} delayimp)
      target_link_options(${target} INTERFACE /DELAYLOAD:${dll}.dll)
    elseif(MINGW)
      orbavintel_delay_import_library(${dll} library)
      target_link_libraries(${target} PUBLIC ${library} delayimp)
      # Places the renamed address tables in a writable section of their own (see there).
      target_link_options(${target} INTERFACE
                          "LINKER:-T,${PROJECT_SOURCE_DIR}/cmake/delay_import.ld")
      set_property(TARGET ${target} APPEND PROPERTY
                   INTERFACE_LINK_DEPENDS ${PROJECT_SOURCE_DIR}/cmake/delay_import.ld)
    else()
      message(FATAL_ERROR "No delay-load support for this toolchain")
    endif()
  endforeach()
endfunction()

# Makes a delay-load import library for |dll| from the exports the toolchain's own import
# library names, and returns its target in |out|.
#
# The delay-load helper writes each resolved address into the library's address table, which
# dlltool puts in .idata$5 among the loader's import tables; binutils 2.44 maps .idata
# read-only, and the first call into the library then faults. The table's pieces are renamed
# to .didat$5, writable data that cmake/delay_import.ld gathers in a section of its own; the
# rest (descriptor, name table, the module handle in .data) stays where dlltool put it.
function(orbavintel_delay_import_library dll out)
  set(name delayload_${dll})
  if(NOT TARGET ${name})
    find_library(import_library_${dll} NAMES ${dll} lib${dll}.a REQUIRED)
    set(definitions ${CMAKE_BINARY_DIR}/delayload/${dll}.def)
    set(library ${CMAKE_BINARY_DIR}/delayload/lib${dll}_delay.a)
    add_custom_command(
      OUTPUT ${library}
      COMMAND ${CMAKE_COMMAND} -DNM=${CMAKE_NM} -DIMPORT_LIBRARY=${import_library_${dll}}
              -DDLL=${dll}.dll -DOUTPUT=${definitions}
              -P ${PROJECT_SOURCE_DIR}/cmake/write_import_definitions.cmake
      COMMAND ${CMAKE_DLLTOOL} --def ${definitions} --dllname ${dll}.dll
              --output-delaylib ${library}
      COMMAND ${CMAKE_OBJCOPY} --enable-deterministic-archives
              --rename-section .idata$5=.didat$5,contents,alloc,load,data ${library}
      DEPENDS ${PROJECT_SOURCE_DIR}/cmake/write_import_definitions.cmake
      COMMENT "Delay-load import library for ${dll}.dll"
      VERBATIM)
    add_custom_target(${name}_build DEPENDS ${library})
    add_library(${name} STATIC IMPORTED GLOBAL)
    set_target_properties(${name} PROPERTIES IMPORTED_LOCATION ${library})
    add_dependencies(${name} ${name}_build)
  endif()
  set(${out} ${name} PARENT_SCOPE)
endfunction()
