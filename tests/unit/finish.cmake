# Fonts, removal of an earlier installation, shortcuts and the finish against
# the recording fakes; a whole installation, the sequence with every module
# behind it.
velkor_unit_test(finish LIBS velkor_engine
  SOURCES finish_fonts_test.cpp finish_removal_test.cpp finish_shortcuts_test.cpp finish_completion_test.cpp)
velkor_unit_test(installation SOURCES installation_test.cpp LIBS velkor_engine)
