# The wizard's pages and windows beyond the main path (page_scenarios.cpp),
# driven by the e2e driver, each scenario in a fresh prefix of one Windows
# version. Screenshots and the driver's log land in
# <build>/tests/e2e/shots/<version>/<scenario>/.
if(NOT VELKOR_WIN32)
  return()
endif()

velkor_driver_scenario(welcome.yahei VERSIONS winxp win7 TIMEOUT 120)
velkor_driver_scenario(about VERSIONS win7 TIMEOUT 120)
velkor_driver_scenario(instance.second VERSIONS win7 TIMEOUT 120)
velkor_driver_scenario(instance.renamed VERSIONS win7 TIMEOUT 120)
velkor_driver_scenario(exit.closebox VERSIONS win7 TIMEOUT 120)
velkor_driver_scenario(install.failure VERSIONS win7)
velkor_driver_scenario(install.failure.after-enter VERSIONS win7)
