# The JSON reader under AddressSanitizer and UBSan: its unit tests, and a libFuzzer target
# run for a bounded time from a small seed corpus.
set(JSON_SOURCES ${PROJECT_SOURCE_DIR}/base/json/json_value.cc
                 ${PROJECT_SOURCE_DIR}/base/json/json_reader.cc)

orbavintel_host_test(json_host_tests
  SOURCES ${JSON_SOURCES}
          ${PROJECT_SOURCE_DIR}/tests/base/json_reader_test.cc
          ${PROJECT_SOURCE_DIR}/tests/base/json_value_test.cc)

if(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  add_executable(json_reader_fuzzer ${PROJECT_SOURCE_DIR}/tests/fuzz/json_reader_fuzzer.cc
                                    ${JSON_SOURCES})
  target_compile_options(json_reader_fuzzer PRIVATE -fsanitize=fuzzer)
  target_link_options(json_reader_fuzzer PRIVATE -fsanitize=fuzzer)
  orbavintel_warnings(json_reader_fuzzer)

  # New inputs go to a corpus folder in the build tree; the seeds in the source tree are
  # only read.
  set(JSON_FUZZ_CORPUS ${CMAKE_CURRENT_BINARY_DIR}/json_fuzz_corpus)
  file(MAKE_DIRECTORY ${JSON_FUZZ_CORPUS})
  add_test(NAME json_reader_fuzz
           COMMAND json_reader_fuzzer -max_total_time=60 -timeout=10 -rss_limit_mb=2048
                   -max_len=4096 -print_final_stats=1
                   -artifact_prefix=${CMAKE_CURRENT_BINARY_DIR}/json_fuzz_
                   ${JSON_FUZZ_CORPUS} ${PROJECT_SOURCE_DIR}/tests/fuzz/json)
  set_tests_properties(json_reader_fuzz PROPERTIES TIMEOUT 300)
endif()
