# The real main wizard window in the test's own process, under Wine.
if(NOT VELKOR_WIN32)
  return()
endif()
velkor_wine_program(win_ui_test SOURCES ui_test.cpp ui_dpi_test.cpp app_test_main.cpp LIBS velkor_app velkor_resources)
velkor_wine_test(ui win_ui_test VERSIONS win7 ENV VELKOR_IMAGE_FILE=$<TARGET_FILE:velkor_image>
                 ARGS --gtest_filter=-*.Start*)
# The start's own libraries, in a process where nothing ran before.
velkor_wine_test(ui.start win_ui_test VERSIONS win7 ARGS --gtest_filter=*.Start*)
add_dependencies(win_ui_test velkor_image)
# The dialogs' layout and pictures on a display of 150 % (they run at 96 dpi
# in the entry above).
velkor_wine_test(ui.dpi144 win_ui_test VERSIONS win7 ENV VELKOR_DPI=144 ARGS --gtest_filter=Dpi.*)

# The main window's port on a real dialog of the wizard's template, against
# the contract its fake keeps natively.
velkor_wine_program(win_main_window_test SOURCES main_window_win_test.cpp app_test_main.cpp LIBS velkor_app velkor_resources)
velkor_wine_test(ui.main_window_contract win_main_window_test VERSIONS win7 ARGS --gtest_brief=1)
