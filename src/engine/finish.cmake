# Fonts, removal of an earlier installation, shortcuts and the finish: portable
# C++17, built in both trees.
if(NOT TARGET velkor_registry)
  include(${CMAKE_CURRENT_LIST_DIR}/registry.cmake)
endif()

add_library(velkor_finish STATIC
  ${CMAKE_CURRENT_LIST_DIR}/font_step.cpp
  ${CMAKE_CURRENT_LIST_DIR}/removal.cpp
  ${CMAKE_CURRENT_LIST_DIR}/shortcuts.cpp
  ${CMAKE_CURRENT_LIST_DIR}/completion.cpp)
target_include_directories(velkor_finish PUBLIC ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(velkor_finish PUBLIC velkor_engine velkor_registry)
