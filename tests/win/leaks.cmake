# The real wizard in process under Wine: GDI objects, USER objects and kernel
# handles stay flat across repeated pages, an installation and its end. The
# test program is the image of a setup file with the demo payload.
if(NOT VELKOR_WIN32)
  return()
endif()
velkor_wine_program(win_leaks_test
  SOURCES leaks_test.cpp app_test_main.cpp
  LIBS velkor_app velkor_resources velkor_payload_seal velkor_window_driver)
velkor_add_setup(leaks_setup.exe IMAGE win_leaks_test)
velkor_wine_test(leaks ${PROJECT_SOURCE_DIR}/scripts/winerun VERSIONS win7 TIMEOUT 240
  ARGS ${CMAKE_CURRENT_BINARY_DIR}/leaks_setup.exe)
