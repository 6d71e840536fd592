# A whole installation for real under Wine, per version class: the test program
# is the image of a setup file with the demo payload.
if(TARGET velkor_installation)
  velkor_wine_program(win_installation_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/installation_win_test.cpp
    LIBS velkor_installation velkor_win32_system velkor_win32_registry velkor_win32_finish
         velkor_payload_seal ole32 shell32 uuid)
  velkor_add_setup(installation_demo_setup.exe IMAGE win_installation_test)
  if(VELKOR_WIN32)
    velkor_wine_test(installation.real ${PROJECT_SOURCE_DIR}/scripts/winerun
      VERSIONS winxp vista win7 win10
      ARGS ${CMAKE_CURRENT_BINARY_DIR}/installation_demo_setup.exe)
  endif()
endif()
