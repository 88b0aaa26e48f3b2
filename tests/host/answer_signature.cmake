# The parser of the answer-signature header and the signed message's digest, natively.
orbavintel_host_test(answer_signature_host_tests
  SOURCES ${PROJECT_SOURCE_DIR}/base/hex.cc
          ${PROJECT_SOURCE_DIR}/updater/answer_signature_format.cc
          ${PROJECT_SOURCE_DIR}/base/sha256.cc
          ${PROJECT_SOURCE_DIR}/base/sha256_x86.cc
          ${PROJECT_SOURCE_DIR}/tests/updater/answer_signature_header_test.cc)
