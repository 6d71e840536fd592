# The wizard's portable logic against fakes; the Cancel/Finish command is the
# engine's real one; the main window's fake against the port's contract.
velkor_unit_test(wizard LIBS velkor_wizard velkor_engine
  SOURCES wizard_version_gate_test.cpp wizard_appearance_test.cpp wizard_licence_test.cpp wizard_flow_test.cpp
          wizard_main_window_test.cpp wizard_dialog_template_test.cpp)
