# The setup file's header parsers, compiled into the target so they are instrumented.
velkor_fuzz_target(setup_file
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/setup_file_fuzz.cpp
          ${PROJECT_SOURCE_DIR}/src/engine/pe_certificate.cpp
          ${PROJECT_SOURCE_DIR}/src/platform/payload_seal.cpp)
