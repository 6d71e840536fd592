# The setup wizard driven like a user by the e2e driver, each scenario in a
# fresh prefix of one Windows version. Screenshots and the driver's log land in
# <build>/tests/e2e/shots/<version>/<scenario>/.
if(NOT VELKOR_WIN32)
  return()
endif()
velkor_driver_scenario(welcome VERSIONS winxp vista win7 win8 win10)
velkor_driver_scenario(welcome.escape VERSIONS win7)
velkor_driver_scenario(refusal VERSIONS win95 win98 winme nt40 win2k win2003)
velkor_driver_scenario(licence.back VERSIONS winxp win7 win10)
velkor_driver_scenario(licence.cancel VERSIONS winxp win7 win10)
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
  ARGS ${velkor_setup} --gtest_filter=*.install --shots ${VELKOR_E2E_SHOTS}/copied
       --copy-to "C:\\下载 文件\\安装 程序\\Velkorsetup.exe" --cwd "C:\\windows")
