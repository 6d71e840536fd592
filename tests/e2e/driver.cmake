# The e2e scenarios: a GoogleTest program that drives a program under test
# like a user in the same Wine prefix (through tests/lib's window driver) and
# verifies what it did. One ctest entry runs one scenario by --gtest_filter.
set(e2e_driver_dir ${CMAKE_CURRENT_LIST_DIR}/driver)

if(VELKOR_WIN32)
  # The steps through the wizard and the checks of an installed machine, also
  # used by the Windows tests that drive the wizard.
  add_library(velkor_e2e_driver STATIC ${e2e_driver_dir}/wizard_steps.cpp ${e2e_driver_dir}/verify.cpp)
  target_include_directories(velkor_e2e_driver PUBLIC ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
  target_link_libraries(velkor_e2e_driver PUBLIC velkor_window_driver velkor_engine velkor_payload
                        velkor_wizard gtest comctl32 shell32 ole32 uuid)

  velkor_wine_program(e2e_driver
    SOURCES ${e2e_driver_dir}/main.cpp ${e2e_driver_dir}/selftest.cpp ${e2e_driver_dir}/wizard_scenarios.cpp
            ${e2e_driver_dir}/page_scenarios.cpp ${e2e_driver_dir}/variant_scenarios.cpp
            ${e2e_driver_dir}/fault_scenarios.cpp
    LIBS velkor_e2e_driver velkor_engine)

  add_executable(e2e_driver_testdlg WIN32
    ${e2e_driver_dir}/testdlg/testdlg.cpp ${e2e_driver_dir}/testdlg/testdlg.rc)
  target_link_options(e2e_driver_testdlg PRIVATE -municode)

  # Screenshots land in <build>/tests/e2e/shots/<version>/<scenario>/.
  set(VELKOR_E2E_SHOTS ${CMAKE_BINARY_DIR}/tests/e2e/shots)
  # velkor_e2e_args(<var> <scenario>): the driver's arguments that select one
  # scenario by its name ("licence.back-install" is the test *.licence_back_install).
  function(velkor_e2e_args var scenario)
    string(REGEX REPLACE "[.-]" "_" test ${scenario})
    set(${var} --scenario ${scenario} --gtest_filter=*.${test} --shots ${VELKOR_E2E_SHOTS} PARENT_SCOPE)
  endfunction()

  velkor_e2e_args(selftest driver.selftest)
  velkor_wine_test(driver.selftest e2e_driver VERSIONS win7 winxp LABEL e2e TIMEOUT 120
    ARGS $<TARGET_FILE:e2e_driver_testdlg> ${selftest})
  velkor_e2e_args(close driver.close)
  velkor_wine_test(driver.close e2e_driver VERSIONS win7 LABEL e2e TIMEOUT 120
    ARGS $<TARGET_FILE:e2e_driver_testdlg> ${close} --cwd "C:\\windows")

  # velkor_driver_scenario(<scenario> VERSIONS <winver...> [TIMEOUT s] [OPTIONS ...]):
  # one scenario of the driver against the built setup file, one ctest entry
  # "e2e.<winver>.wizard.<scenario>" per version, for every scenarios_*.cmake.
  get_target_property(velkor_setup_dir Velkorsetup_file BINARY_DIR)
  set(velkor_setup ${velkor_setup_dir}/Velkorsetup.exe)
  add_dependencies(e2e_driver Velkorsetup_file)
  function(velkor_driver_scenario scenario)
    cmake_parse_arguments(A "" "TIMEOUT" "VERSIONS;OPTIONS" ${ARGN})
    if(NOT A_TIMEOUT)
      set(A_TIMEOUT 300)
    endif()
    velkor_e2e_args(args ${scenario})
    # "wizard." keeps these apart from other e2e entries of the same page.
    velkor_wine_test(wizard.${scenario} e2e_driver VERSIONS ${A_VERSIONS} LABEL e2e TIMEOUT ${A_TIMEOUT}
      ARGS ${velkor_setup} ${args} ${A_OPTIONS})
  endfunction()
endif()
