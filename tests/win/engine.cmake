# The engine under Wine. The test program is the image of a synthetic setup
# file: the installation reads the payload appended to the running program, as
# the wizard does. Each scenario runs in a fresh prefix.
velkor_wine_program(win_engine_test
  SOURCES engine_test.cpp
  LIBS velkor_engine velkor_platform velkor_payload_seal)
velkor_add_setup(engine_synthetic_setup.exe IMAGE win_engine_test SYNTHETIC)

if(VELKOR_WIN32)
  set(setup ${CMAKE_CURRENT_BINARY_DIR}/engine_synthetic_setup.exe)
  set(run ${PROJECT_SOURCE_DIR}/scripts/winerun)
  velkor_wine_test(engine.adapters ${run} VERSIONS winxp win7
                   ARGS ${setup} --gtest_filter=Win32SystemAdapter.*)
  velkor_wine_test(engine.extract ${run} VERSIONS winxp vista win7 win10
                   ARGS ${setup} --gtest_filter=EngineOnWine.ExtractsEveryMemberByteForByte)
  velkor_wine_test(engine.program_blocked ${run} VERSIONS win7
                   ARGS ${setup} --gtest_filter=EngineOnWine.ADirectoryInPlaceOfAProgram*)
  velkor_wine_test(engine.damaged_setup ${run} VERSIONS win7
                   ARGS ${setup} --gtest_filter=EngineOnWine.ADamagedSetupFile*)
  velkor_wine_test(engine.signed_setup ${run} VERSIONS win7
                   ARGS ${setup} --gtest_filter=EngineOnWine.ASignedSetupFile*)
endif()
