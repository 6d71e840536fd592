# Bad setup files and faults of the machine, driven through the real wizard by
# the e2e driver, each scenario in a fresh prefix of one Windows version.
# Screenshots and the driver's log land in <build>/tests/e2e/shots/<version>/<scenario>/.
if(NOT VELKOR_WIN32)
  return()
endif()
get_target_property(velkor_fault_setup_dir Velkorsetup_file BINARY_DIR)
set(velkor_fault_setup ${velkor_fault_setup_dir}/Velkorsetup.exe)

# velkor_fault_scenario(<scenario> VERSIONS <v...> [SETUP <file>] [TMPFS <options:path>...]
#                       [ENV <var=value>...] [FIXTURES <name>] [TIMEOUT <s>])
# TMPFS mounts a small or read-only disk into the prefix (scripts/winerun
# --tmpfs); where mounting is not allowed the test reports itself skipped.
function(velkor_fault_scenario scenario)
  cmake_parse_arguments(A "" "TIMEOUT;SETUP;FIXTURES" "VERSIONS;TMPFS;ENV" ${ARGN})
  if(NOT A_TIMEOUT)
    set(A_TIMEOUT 120)
  endif()
  if(NOT A_SETUP)
    set(A_SETUP ${velkor_fault_setup})
  endif()
  set(mounts)
  foreach(m ${A_TMPFS})
    list(APPEND mounts --tmpfs ${m})
  endforeach()
  velkor_e2e_args(args ${scenario})
  velkor_wine_test(fault.${scenario} ${PROJECT_SOURCE_DIR}/scripts/winerun
    VERSIONS ${A_VERSIONS} LABEL e2e TIMEOUT ${A_TIMEOUT} ENV ${A_ENV}
    ARGS ${mounts} $<TARGET_FILE:e2e_driver> ${A_SETUP} ${args})
  foreach(v ${A_VERSIONS})
    set_tests_properties(e2e.${v}.fault.${scenario} PROPERTIES SKIP_RETURN_CODE 77)
    if(A_FIXTURES)
      set_tests_properties(e2e.${v}.fault.${scenario} PROPERTIES FIXTURES_REQUIRED ${A_FIXTURES})
    endif()
  endforeach()
endfunction()

velkor_fault_scenario(damaged.members VERSIONS win7)
velkor_fault_scenario(damaged.length VERSIONS winxp)
velkor_fault_scenario(renamed VERSIONS winxp)
# Member 1 fits on the 4 MiB disk, member 2 does not.
velkor_fault_scenario(disk-full VERSIONS win7 TMPFS "size=4096k:drive_c/Program Files/VelkorCrypt")
# The nine members fit (57,565,184 bytes in 4 KiB pages) with 1 MiB to spare,
# the install directory's FangSong copy does not.
velkor_fault_scenario(disk-full.fonts VERSIONS win7 TMPFS "size=57240k:drive_c/Program Files/VelkorCrypt")
velkor_fault_scenario(fonts.readonly VERSIONS winxp win7 TMPFS "ro:drive_c/windows/Fonts")
velkor_fault_scenario(fonts.missing VERSIONS winxp win7)
velkor_fault_scenario(fonts.key VERSIONS vista win7)
velkor_fault_scenario(folders.desktop VERSIONS winxp)
velkor_fault_scenario(folders.all VERSIONS win7)

# The real setup file signed as a vendor signs it, made afresh when the tests
# run; it installs like the unsigned one, and its signature still verifies
# after the installation.
set(velkor_signed_setup ${CMAKE_CURRENT_BINARY_DIR}/e2e/signed/Velkorsetup.exe)
add_test(NAME e2e.any.fault.sign
  COMMAND bash -c "mkdir -p \"$(dirname \"$1\")\" && bash \"$0\" \"$2\" \"$1\""
          ${PROJECT_SOURCE_DIR}/tests/win/sign_setup.sh ${velkor_signed_setup} ${velkor_fault_setup})
set_tests_properties(e2e.any.fault.sign PROPERTIES LABELS e2e TIMEOUT 60 FIXTURES_SETUP velkor_signed_setup)
velkor_fault_scenario(signed VERSIONS win7 SETUP ${velkor_signed_setup} FIXTURES velkor_signed_setup
  ENV VELKOR_UNSIGNED_SETUP=${velkor_fault_setup})
add_test(NAME e2e.any.fault.signature_verifies
  COMMAND osslsigncode verify -CAfile ${velkor_signed_setup}.pem -in ${velkor_signed_setup})
set_tests_properties(e2e.any.fault.signature_verifies PROPERTIES LABELS e2e TIMEOUT 60
  FIXTURES_REQUIRED velkor_signed_setup DEPENDS e2e.win7.fault.signed PASS_REGULAR_EXPRESSION "Succeeded")

# The setup file is held against other programs while the wizard runs, and a
# payload changed with its CRC-32 kept is refused by its digest.
velkor_fault_scenario(held VERSIONS win7)
velkor_fault_scenario(damaged.crc-kept VERSIONS win7)

# mkpayload --verify agrees with the wizard on the sound, the signed and a
# damaged setup file.
set(velkor_mkpayload ${VELKOR_NATIVE_TREE}/tools/mkpayload/mkpayload)
add_test(NAME e2e.win7.fault.verify-agrees
  COMMAND ${PROJECT_SOURCE_DIR}/tests/e2e/verify_agrees.sh ${velkor_mkpayload} ${velkor_fault_setup}
          ${velkor_signed_setup} ${CMAKE_CURRENT_BINARY_DIR}/e2e/damaged/Velkorsetup.exe
          ${PROJECT_SOURCE_DIR}/scripts/winerun $<TARGET_FILE:e2e_driver> ${VELKOR_E2E_SHOTS})
set_tests_properties(e2e.win7.fault.verify-agrees PROPERTIES LABELS e2e TIMEOUT 180
  FIXTURES_REQUIRED velkor_signed_setup ENVIRONMENT "VELKOR_WINVER=win7;VELKOR_SCENARIO=fault.verify-agrees")

# The setup file is packed from a folder of the nine members, as a release
# is (mkpayload --members): it installs each of them byte for byte.
velkor_fault_scenario(members VERSIONS win7
  ENV VELKOR_MEMBERS_DIR=${velkor_fault_setup_dir}/Velkorsetup_members)
