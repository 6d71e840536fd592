# The payload seal, in two targets:
#   velkor_payload_seal_format  (both trees) reads, finds and writes the record;
#   velkor_payload_seal         (build/win32) the unfilled record as a resource.
# An image executable links velkor_payload_seal directly (an object library, so
# the resource object is always linked in); the payload tool then fills it.
# Included by src/platform/CMakeLists.txt (and by the payload tool's list until then).
if(NOT TARGET velkor_payload_seal_format)
  add_library(velkor_payload_seal_format STATIC ${CMAKE_CURRENT_LIST_DIR}/payload_seal.cpp)
  target_include_directories(velkor_payload_seal_format PUBLIC ${PROJECT_SOURCE_DIR}/src)
  include(${PROJECT_SOURCE_DIR}/src/engine/sha256.cmake)
  target_link_libraries(velkor_payload_seal_format PUBLIC velkor_sha256)
  if(VELKOR_WIN32)
    add_library(velkor_payload_seal OBJECT ${CMAKE_CURRENT_LIST_DIR}/payload_seal.rc)
    target_link_libraries(velkor_payload_seal PUBLIC velkor_payload_seal_format)
  endif()
endif()
