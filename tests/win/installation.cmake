# A whole installation for real under Wine, per version class: the test program
# is the image of a setup file with the demo payload.
velkor_wine_program(win_installation_test
  SOURCES installation_win_test.cpp
  LIBS velkor_engine velkor_platform velkor_payload_seal ole32 shell32 uuid)
velkor_add_setup(installation_demo_setup.exe IMAGE win_installation_test)
if(VELKOR_WIN32)
  velkor_wine_test(installation.real ${PROJECT_SOURCE_DIR}/scripts/winerun
    VERSIONS winxp vista win7 win10
    ARGS ${CMAKE_CURRENT_BINARY_DIR}/installation_demo_setup.exe --gtest_filter=-*FontPresent*)
  velkor_wine_test(installation.fonts_present ${PROJECT_SOURCE_DIR}/scripts/winerun
    VERSIONS winxp vista win7 win10
    ARGS ${CMAKE_CURRENT_BINARY_DIR}/installation_demo_setup.exe --gtest_filter=*FontPresent*)

  # The same setup file signed as a vendor signs it: it installs the same way,
  # and its signature still verifies afterwards.
  set(signed ${CMAKE_CURRENT_BINARY_DIR}/installation_demo_setup_signed.exe)
  add_custom_command(OUTPUT ${signed}
    COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/sign_setup.sh
            ${CMAKE_CURRENT_BINARY_DIR}/installation_demo_setup.exe ${signed}
    DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/installation_demo_setup.exe ${CMAKE_CURRENT_LIST_DIR}/sign_setup.sh
    COMMENT "Signing installation_demo_setup.exe" VERBATIM)
  add_custom_target(installation_demo_setup_signed ALL DEPENDS ${signed})
  velkor_wine_test(installation.signed ${PROJECT_SOURCE_DIR}/scripts/winerun
    VERSIONS win7 ARGS ${signed} --gtest_filter=*InstallsFiles*)
  add_test(NAME wine.any.installation.signature_verifies
    COMMAND osslsigncode verify -CAfile ${signed}.pem -in ${signed})
  set_tests_properties(wine.any.installation.signature_verifies PROPERTIES LABELS wine
    DEPENDS wine.win7.installation.signed PASS_REGULAR_EXPRESSION "Succeeded")
endif()
