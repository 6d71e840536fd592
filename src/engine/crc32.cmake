# velkor_crc32: the portable CRC-32 of the payload seal, in both trees.
# Included by src/engine/CMakeLists.txt (and by the payload tool's list until then).
if(NOT TARGET velkor_crc32)
  add_library(velkor_crc32 STATIC ${CMAKE_CURRENT_LIST_DIR}/crc32.cpp)
  target_include_directories(velkor_crc32 PUBLIC ${PROJECT_SOURCE_DIR}/src)
endif()
