# The presets turn this on, so that the README's commands and CI keep the build warning-free;
# a build configured by hand with another compiler may leave it off.
option(ORBAVINTEL_WARNINGS_AS_ERRORS "Fail the build on any compiler warning" OFF)

# Warning set shared by every target of the project.
function(orbavintel_warnings target)
  if(MSVC)
    target_compile_options(${target} PRIVATE /W4 /permissive-)
    if(ORBAVINTEL_WARNINGS_AS_ERRORS)
      target_compile_options(${target} PRIVATE /WX)
    endif()
  else()
    # -Wshadow: a parameter or local named like a member reads as the member.
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wshadow -Wno-unused-parameter
                                              -Wno-missing-field-initializers)
    if(ORBAVINTEL_WARNINGS_AS_ERRORS)
      target_compile_options(${target} PRIVATE -Werror)
    endif()
  endif()
endfunction()

# GoogleTest from the Debian source package, built by whichever compiler this build uses.
function(orbavintel_use_googletest)
  if(TARGET gtest)
    return()
  endif()
  set(GTEST_SOURCE_DIR "/usr/src/googletest" CACHE PATH "GoogleTest source tree")
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
  add_subdirectory(${GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
endfunction()
