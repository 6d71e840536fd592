# The trace module's line discipline.
if(TARGET velkor_trace)
  velkor_unit_test(trace SOURCES ${CMAKE_CURRENT_LIST_DIR}/trace_test.cpp LIBS velkor_trace)
endif()
