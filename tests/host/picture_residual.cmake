# The page pictures' enlargement natively, where AddressSanitizer sees every pixel it reads and
# writes and UBSan every sum.
orbavintel_host_test(picture_residual_host_tests
  SOURCES ${PROJECT_SOURCE_DIR}/installer/ui/picture_residual.cc
          ${PROJECT_SOURCE_DIR}/tests/installer/picture_residual_test.cc)
