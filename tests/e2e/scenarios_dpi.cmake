# Every page of the wizard at 96, 120 and 144 dpi (the prefix's display setting
# of 100 %, 125 % and 150 %): the text probe (tests/lib/text_probe), hooked into the
# wizard, measures each shown text against its control and each control
# against its dialog (dpi_scenarios.cpp). Entries read
# e2e.<version>.wizard.dpi<dpi>.<scenario>; screenshots and the driver's log
# (every measurement) land in <build>/tests/e2e/shots/<version>/dpi<dpi>.<scenario>/.
if(NOT VELKOR_WIN32)
  return()
endif()

# The probe DLL goes beside e2e_driver.exe, where the driver loads it; its
# hook procedures are exported by their plain names.
add_library(velkor_text_probe SHARED ${PROJECT_SOURCE_DIR}/tests/lib/text_probe/text_probe.cpp)
target_include_directories(velkor_text_probe PRIVATE ${PROJECT_SOURCE_DIR}/tests)
set_target_properties(velkor_text_probe PROPERTIES PREFIX "")
target_link_options(velkor_text_probe PRIVATE -Wl,--kill-at)
target_link_libraries(velkor_text_probe PRIVATE user32 gdi32)

target_sources(e2e_driver PRIVATE ${e2e_driver_dir}/dpi_scenarios.cpp ${e2e_driver_dir}/probe_selftest.cpp
                                  ${PROJECT_SOURCE_DIR}/tests/lib/text_probe/probe_client.cpp)
add_dependencies(e2e_driver velkor_text_probe)

# The prefix's setting for a DPI: none at 96, as every other test has it.
function(velkor_dpi_env var dpi)
  set(${var} "" PARENT_SCOPE)
  if(NOT dpi EQUAL 96)
    set(${var} ENV VELKOR_DPI=${dpi} PARENT_SCOPE)
  endif()
endfunction()

# The probe itself, on a window of the driver's own whose controls are sized
# from their font: at 96 dpi and at 144 (where a check box's box is larger).
foreach(dpi 96 144)
  velkor_dpi_env(env ${dpi})
  velkor_wine_test(driver.dpi${dpi}.text-probe e2e_driver VERSIONS win7 LABEL e2e TIMEOUT 120
    ARGS $<TARGET_FILE:e2e_driver_testdlg> --scenario driver.dpi${dpi}.text-probe --gtest_filter=*.text_probe
         --shots ${VELKOR_E2E_SHOTS}
    ${env})
endforeach()

# velkor_dpi_scenario(<scenario> VERSIONS <winver...> DPIS <dpi...>): one entry
# per version and DPI, each in a fresh prefix made at that DPI.
function(velkor_dpi_scenario scenario)
  cmake_parse_arguments(A "" "" "VERSIONS;DPIS" ${ARGN})
  string(REGEX REPLACE "[.-]" "_" test ${scenario})
  foreach(dpi ${A_DPIS})
    velkor_dpi_env(env ${dpi})
    velkor_wine_test(wizard.dpi${dpi}.${scenario} e2e_driver VERSIONS ${A_VERSIONS} LABEL e2e TIMEOUT 300
      ARGS ${velkor_setup} --scenario dpi${dpi}.${scenario} --gtest_filter=*.dpi_${test} --shots ${VELKOR_E2E_SHOTS}
      ${env})
  endforeach()
endfunction()

# The three layout classes (5.1 winxp, 6.2 win10, the others win7) and 6.0's
# own finish texts (the log-off); the refusal page on a refused system, the
# failure page once. At 96 dpi they guard against false alarms.
velkor_dpi_scenario(texts VERSIONS winxp vista win7 win10 DPIS 96 120 144)
velkor_dpi_scenario(refusal VERSIONS win2k DPIS 96 120 144)
velkor_dpi_scenario(failure VERSIONS win7 DPIS 96 120 144)
