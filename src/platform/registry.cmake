# The Win32 registry adapter and the debugger sink of the trace module
# (build/win32 only).
if(VELKOR_WIN32)
  add_library(velkor_win32_registry STATIC ${CMAKE_CURRENT_LIST_DIR}/win32_registry.cpp)
  target_include_directories(velkor_win32_registry PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(velkor_win32_registry PUBLIC advapi32)

  add_library(velkor_win32_trace STATIC ${CMAKE_CURRENT_LIST_DIR}/win32_trace.cpp)
  target_include_directories(velkor_win32_trace PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(velkor_win32_trace PUBLIC velkor_trace)
endif()
