# The setup file's header parsers, where the payload ends and how the members
# are cut from it, compiled into the target so they are instrumented.
velkor_fuzz_target(setup_file
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/setup_file_fuzz.cpp
          ${PROJECT_SOURCE_DIR}/src/payload/pe_headers.cpp
          ${PROJECT_SOURCE_DIR}/src/payload/seal.cpp
          ${PROJECT_SOURCE_DIR}/src/engine/setup_file.cpp
          ${PROJECT_SOURCE_DIR}/src/engine/extraction.cpp
          ${PROJECT_SOURCE_DIR}/src/engine/block_copy.cpp
          ${PROJECT_SOURCE_DIR}/src/engine/progress_meter.cpp
          ${PROJECT_SOURCE_DIR}/src/payload/sha256.cpp
          ${PROJECT_SOURCE_DIR}/src/payload/sha256_x86.cpp)
