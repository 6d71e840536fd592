# Registry key access, the machine number and the registry configuration
# (portable, both trees), and the trace module every subsystem reports to.
if(NOT TARGET velkor_trace)
  add_library(velkor_trace STATIC ${CMAKE_CURRENT_LIST_DIR}/trace.cpp)
  target_include_directories(velkor_trace PUBLIC ${PROJECT_SOURCE_DIR}/src)
endif()

add_library(velkor_registry STATIC
  ${CMAKE_CURRENT_LIST_DIR}/registry_key.cpp
  ${CMAKE_CURRENT_LIST_DIR}/machine_number.cpp
  ${CMAKE_CURRENT_LIST_DIR}/registry_config.cpp)
target_include_directories(velkor_registry PUBLIC ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(velkor_registry PUBLIC velkor_trace)
