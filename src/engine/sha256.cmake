# velkor_sha256: the payload's digest, in both trees (engine, payload tool, tests).
# Included by src/engine/CMakeLists.txt.
if(NOT TARGET velkor_sha256)
  add_library(velkor_sha256 STATIC ${CMAKE_CURRENT_LIST_DIR}/sha256.cpp ${CMAKE_CURRENT_LIST_DIR}/sha256_x86.cpp)
  target_include_directories(velkor_sha256 PUBLIC ${PROJECT_SOURCE_DIR}/src)
endif()
