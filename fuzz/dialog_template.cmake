# The dialog template reader on any bytes: it reads the wizard's own resources,
# but every read is checked, and the sanitizers hold it to that.
velkor_fuzz_target(dialog_template
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/dialog_template_fuzz.cpp
          ${PROJECT_SOURCE_DIR}/src/wizard/dialog_template.cpp
          ${PROJECT_SOURCE_DIR}/src/wizard/appearance.cpp)
