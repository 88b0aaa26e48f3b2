# The SHA-256 core natively, both compression functions (the SHA-extension tests skip
# themselves on a processor without the extensions).
set(sha256_x86_source ${PROJECT_SOURCE_DIR}/base/sha256_x86.cc)
if(NOT MSVC AND CMAKE_SYSTEM_PROCESSOR MATCHES "x86_64|AMD64|i.86")
  set_source_files_properties(${sha256_x86_source} PROPERTIES COMPILE_OPTIONS "-msha;-msse4.1")
endif()
orbavintel_host_test(sha256_host_tests
  SOURCES ${PROJECT_SOURCE_DIR}/base/sha256.cc ${sha256_x86_source}
          ${PROJECT_SOURCE_DIR}/tests/base/sha256_test.cc)
