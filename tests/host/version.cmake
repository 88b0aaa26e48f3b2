orbavintel_host_test(version_host_tests
  SOURCES ${PROJECT_SOURCE_DIR}/base/version.cc ${PROJECT_SOURCE_DIR}/tests/base/version_test.cc)
