# The finish modules' Win32 adapters on the real system of fresh Wine prefixes:
# shell links, fonts and their registry entries, the removal of a seeded
# earlier installation, the product's start and the process scan.
if(NOT VELKOR_WIN32)
  return()
endif()

velkor_wine_program(win_finish_test
  SOURCES finish_shortcuts_win_test.cpp finish_fonts_win_test.cpp finish_removal_win_test.cpp
          finish_processes_win_test.cpp
  LIBS velkor_engine velkor_platform ole32 uuid shell32 gtest_main)
add_dependencies(win_finish_test standin_gui_program standin_library)

# What the tests copy into the prefix: the demo font parts of the native tree
# and two stand-ins (Unix paths; the tests reach them through drive Z:).
set(finish_env
  "VELKOR_FONT_PARTS=${VELKOR_DEMO_FONTS_DIR}"
  "VELKOR_STANDIN_GUI=$<TARGET_FILE:standin_gui_program>"
  "VELKOR_STANDIN_LIBRARY=$<TARGET_FILE:standin_library>")

velkor_wine_test(finish.shortcuts_real win_finish_test VERSIONS winxp win7
  ARGS --gtest_brief=1 --gtest_filter=RealShortcuts.* ENV ${finish_env})
velkor_wine_test(finish.fonts_real win_finish_test VERSIONS winxp vista win7 win10
  ARGS --gtest_brief=1 --gtest_filter=RealFonts.* ENV ${finish_env})
velkor_wine_test(finish.removal_real win_finish_test VERSIONS winxp vista win7
  ARGS --gtest_brief=1 --gtest_filter=RealRemoval.* ENV ${finish_env})
velkor_wine_test(finish.processes_real win_finish_test VERSIONS win7
  ARGS --gtest_brief=1 --gtest_filter=RealProcesses.* ENV ${finish_env})

# The log-off request (its own program and prefix: the request reaches every
# window of the prefix). The dialog's endings are the main window's port's
# (tests/win/ui.cmake).
velkor_wine_program(win_finish_session_test
  SOURCES finish_session_win_test.cpp
  LIBS velkor_platform velkor_framework gtest_main)
velkor_wine_test(finish.logoff_real win_finish_session_test VERSIONS win7
  ARGS --gtest_brief=1 --gtest_filter=Logoff.*)
