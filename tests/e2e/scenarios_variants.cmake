# Installations over prepared machines, driven like a user by the e2e driver:
# the driver first puts fonts, registry values or a running program in place,
# then installs and reads back. Each scenario runs in a fresh prefix; shots and
# the driver's log land in <build>/tests/e2e/shots/<version>/<scenario>/.
if(NOT VELKOR_WIN32)
  return()
endif()
# The fonts of each class's plan already installed.
velkor_driver_scenario(fonts.present VERSIONS winxp vista win7 win8 win10 TIMEOUT 120)
# The two 6.x plans (6.0, 6.1 and later) with a FangSong file of another size.
velkor_driver_scenario(fonts.simfang-size VERSIONS vista win7 TIMEOUT 120)
velkor_driver_scenario(fonts.simfang-size-alt VERSIONS vista win10 TIMEOUT 120)
# An earlier installation's registry configuration.
velkor_driver_scenario(registry.upgrade VERSIONS win7 TIMEOUT 120)
velkor_driver_scenario(registry.notice VERSIONS winxp TIMEOUT 120)
velkor_driver_scenario(registry.kept VERSIONS win10 TIMEOUT 120)
velkor_driver_scenario(registry.versions-long VERSIONS winxp TIMEOUT 120)
velkor_driver_scenario(registry.versions-unterminated VERSIONS win10 TIMEOUT 120)
velkor_driver_scenario(registry.lockpa-dword VERSIONS win7 TIMEOUT 120)
# The main program of an earlier installation still running.
velkor_driver_scenario(reinstall.running VERSIONS winxp win7 TIMEOUT 180)
velkor_driver_scenario(reinstall.running.escape VERSIONS win7 TIMEOUT 180)
velkor_driver_scenario(reinstall.running.enter VERSIONS win8 TIMEOUT 180)
