# Fonts, removal of an earlier installation, shortcuts and the finish, against
# the recording fakes.
velkor_unit_test(finish
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/finish_fonts_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/finish_removal_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/finish_shortcuts_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/finish_completion_test.cpp
  LIBS velkor_engine)

# A whole installation: the sequence with every module behind it.
velkor_unit_test(installation
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/installation_test.cpp
  LIBS velkor_engine)
