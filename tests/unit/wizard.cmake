# The wizard's portable logic against fakes; the Cancel/Finish command is the
# engine's real one.
if(TARGET velkor_wizard AND TARGET velkor_finish)
  velkor_unit_test(wizard
    SOURCES
      ${CMAKE_CURRENT_LIST_DIR}/wizard_version_gate_test.cpp
      ${CMAKE_CURRENT_LIST_DIR}/wizard_appearance_test.cpp
      ${CMAKE_CURRENT_LIST_DIR}/wizard_licence_test.cpp
      ${CMAKE_CURRENT_LIST_DIR}/wizard_flow_test.cpp
      ${CMAKE_CURRENT_LIST_DIR}/wizard_main_window_test.cpp
    LIBS velkor_wizard velkor_finish)
endif()
