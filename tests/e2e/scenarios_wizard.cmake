# The setup wizard driven like a user by the e2e driver, each scenario in a
# fresh prefix of one Windows version. Screenshots and the driver's log land in
# <build>/tests/e2e/shots/<version>/<scenario>/.
if(NOT VELKOR_WIN32 OR NOT TARGET Velkorsetup_file OR NOT TARGET e2e_driver)
  return()
endif()
get_target_property(velkor_setup_dir Velkorsetup_file BINARY_DIR)
set(velkor_setup ${velkor_setup_dir}/Velkorsetup.exe)
add_dependencies(e2e_driver Velkorsetup_file)

function(velkor_driver_scenario scenario)
  cmake_parse_arguments(A "" "TIMEOUT" "VERSIONS;OPTIONS" ${ARGN})
  if(NOT A_TIMEOUT)
    set(A_TIMEOUT 300)
  endif()
  # "wizard." keeps these apart from other e2e entries of the same page.
  velkor_wine_test(wizard.${scenario} e2e_driver VERSIONS ${A_VERSIONS} LABEL e2e TIMEOUT ${A_TIMEOUT}
    ARGS ${scenario} ${velkor_setup} --shots ${VELKOR_E2E_SHOTS} ${A_OPTIONS})
endfunction()

velkor_driver_scenario(welcome VERSIONS winxp vista win7 win10)
velkor_driver_scenario(welcome.escape VERSIONS win7)
velkor_driver_scenario(refusal VERSIONS win95 win98 winme nt40 win2k win2003)
velkor_driver_scenario(licence.back VERSIONS win7)
velkor_driver_scenario(licence.cancel VERSIONS win7)
velkor_driver_scenario(install VERSIONS winxp vista win7 win8 win10)
velkor_driver_scenario(install.enter VERSIONS winxp win7)
velkor_driver_scenario(finish.escape VERSIONS win7 winxp)
velkor_driver_scenario(finish.closebox VERSIONS win7)
velkor_driver_scenario(reinstall VERSIONS winxp win7)
velkor_driver_scenario(reinstall.generations VERSIONS win7)
velkor_driver_scenario(refusal.enter VERSIONS win2k)
velkor_driver_scenario(licence.back-install VERSIONS win10)
# Started from a copy in a folder with spaces and Chinese characters, from
# another working directory.
velkor_wine_test(wizard.install.copied e2e_driver VERSIONS win7 LABEL e2e TIMEOUT 300
  ARGS install ${velkor_setup} --shots ${VELKOR_E2E_SHOTS}/copied
       --copy-to "C:\\下载 文件\\安装 程序\\Velkorsetup.exe" --cwd "C:\\windows")
