# The window driver (window_driver.h): for the e2e scenarios, the leak test and
# the start bench.
if(VELKOR_WIN32)
  add_library(velkor_window_driver STATIC ${CMAKE_CURRENT_LIST_DIR}/window_driver.cpp)
  target_include_directories(velkor_window_driver PUBLIC ${PROJECT_SOURCE_DIR}/tests)
  target_link_libraries(velkor_window_driver PUBLIC user32 gdi32 gdiplus shell32)
endif()
