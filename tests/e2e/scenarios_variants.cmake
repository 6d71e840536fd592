# Installations over prepared machines, driven like a user by the e2e driver:
# the driver first puts fonts, registry values or a running program in place,
# then installs and reads back. Each scenario runs in a fresh prefix; shots and
# the driver's log land in <build>/tests/e2e/shots/<version>/<scenario>/.
if(NOT VELKOR_WIN32 OR NOT TARGET Velkorsetup_file OR NOT TARGET e2e_driver)
  return()
endif()
get_target_property(velkor_variant_setup_dir Velkorsetup_file BINARY_DIR)
add_dependencies(e2e_driver Velkorsetup_file)

function(velkor_variant_scenario scenario)
  cmake_parse_arguments(A "" "TIMEOUT" "VERSIONS" ${ARGN})
  if(NOT A_TIMEOUT)
    set(A_TIMEOUT 120)
  endif()
  velkor_wine_test(wizard.${scenario} e2e_driver VERSIONS ${A_VERSIONS} LABEL e2e TIMEOUT ${A_TIMEOUT}
    ARGS ${scenario} ${velkor_variant_setup_dir}/Velkorsetup.exe --shots ${VELKOR_E2E_SHOTS})
endfunction()

# The fonts of each class's plan already installed.
velkor_variant_scenario(fonts.present VERSIONS winxp vista win7 win8 win10)
# The two 6.x plans (6.0, 6.1 and later) with a FangSong file of another size.
velkor_variant_scenario(fonts.simfang-size VERSIONS vista win7)
velkor_variant_scenario(fonts.simfang-size-alt VERSIONS vista win10)
# An earlier installation's registry configuration.
velkor_variant_scenario(registry.upgrade VERSIONS win7)
velkor_variant_scenario(registry.notice VERSIONS winxp)
velkor_variant_scenario(registry.kept VERSIONS win10)
velkor_variant_scenario(registry.versions-long VERSIONS winxp)
velkor_variant_scenario(registry.versions-unterminated VERSIONS win10)
velkor_variant_scenario(registry.lockpa-dword VERSIONS win7)
# The main program of an earlier installation still running.
velkor_variant_scenario(reinstall.running VERSIONS winxp win7 TIMEOUT 180)
velkor_variant_scenario(reinstall.running.escape VERSIONS win7 TIMEOUT 180)
velkor_variant_scenario(reinstall.running.enter VERSIONS win8 TIMEOUT 180)
