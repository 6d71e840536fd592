# Fonts, removal of an earlier installation, shortcuts and the finish, against
# the recording fakes.
if(NOT TARGET velkor_finish)
  include(${PROJECT_SOURCE_DIR}/src/engine/finish.cmake)
endif()

velkor_unit_test(finish
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/finish_fonts_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/finish_removal_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/finish_shortcuts_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/finish_completion_test.cpp
  LIBS velkor_finish)

# A whole installation: the sequence with every module behind it.
if(TARGET velkor_installation)
  velkor_unit_test(installation
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/installation_test.cpp
    LIBS velkor_installation)
endif()
