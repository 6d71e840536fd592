# The built setup file driven like a user (label e2e). Each ctest entry runs
# one scenario of the driver in a fresh prefix of one Windows version and
# writes its screenshots to <build>/e2e-shots.
if(NOT VELKOR_WIN32 OR NOT TARGET velkor_image)
  return()
endif()
velkor_wine_program(e2e_ui_driver
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/ui/ui_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ui/window_driver.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ui/png_stored.cpp
  LIBS velkor_wizard comctl32 user32 gdi32 advapi32 ole32 shell32 uuid)
target_include_directories(e2e_ui_driver PRIVATE ${CMAKE_CURRENT_LIST_DIR}/ui)

# The setup file with the demo payload when the payload tool is there, else
# the bare image (enough for every page before the installation).
if(TARGET Velkorsetup_file)
  set(velkor_e2e_setup ${CMAKE_BINARY_DIR}/src/app/Velkorsetup.exe)
  add_dependencies(e2e_ui_driver Velkorsetup_file)
else()
  set(velkor_e2e_setup $<TARGET_FILE:velkor_image>)
  add_dependencies(e2e_ui_driver velkor_image)
endif()
set(velkor_e2e_env "VELKOR_SETUP_FILE=${velkor_e2e_setup}" "VELKOR_SHOTS=${CMAKE_BINARY_DIR}/e2e-shots")

function(velkor_ui_scenario scenario filter)
  velkor_wine_test(${scenario} e2e_ui_driver LABEL e2e ARGS --gtest_filter=Wizard.${filter}
    ENV ${velkor_e2e_env} ${ARGN})
endfunction()

velkor_ui_scenario(welcome WelcomePageTextsAndLayout VERSIONS winxp vista win7 win8 win10)
velkor_ui_scenario(welcome_yahei WelcomePageWithYahei VERSIONS winxp win7)
velkor_ui_scenario(about TheAboutBoxOpensOnSystemCommand0x10 VERSIONS win7)
velkor_ui_scenario(second_instance ASecondInstanceEndsWithoutAWindow VERSIONS win7)
velkor_ui_scenario(renamed_copy ACopyUnderAnotherNameRunsAlongside VERSIONS win7)
velkor_ui_scenario(refusal RefusalPageOfARefusedSystem VERSIONS win95 win98 winme nt40 win2k win2003)
velkor_ui_scenario(licence_back LicencePageLeftWithoutAcceptanceReturnsToTheWelcomePage VERSIONS winxp win7 win10)
velkor_ui_scenario(licence_cancel CancelOnTheLicencePageAsksAndNoReturnsToThePage VERSIONS winxp win7 win10)
velkor_ui_scenario(exit_close_box TheConfirmationsCloseBoxLeavesTheSetup VERSIONS win7)
velkor_ui_scenario(install_finish AnInstallationReachesTheFinishPage VERSIONS winxp win7 win10)
velkor_ui_scenario(install_logoff AFirstInstallationOnVistaLogsOff VERSIONS vista)
velkor_ui_scenario(install_failure AnUnwritableMainProgramGivesTheFailurePage VERSIONS win7)
