# The registry adapter, CRegistryKey and the registry configuration on the
# real registry of a fresh Wine prefix.

velkor_wine_program(win_registry_test
  SOURCES registry_port_win_test.cpp registry_key_win_test.cpp registry_config_win_test.cpp
  LIBS velkor_engine velkor_platform gtest_main)
velkor_wine_test(registry.port_contract win_registry_test VERSIONS win7
  ARGS --gtest_brief=1 --gtest_filter=Win32Registry.*:Win32/RegistryPortContract*)
velkor_wine_test(registry.key_contract win_registry_test VERSIONS win7
  ARGS --gtest_brief=1 --gtest_filter=RegistryKeyOnWine.*:TraceOnWine.*)
velkor_wine_test(registry.configuration win_registry_test VERSIONS winxp win7
  ARGS --gtest_brief=1 --gtest_filter=RegistryConfigOnWine.*)
