# The registry port's in-memory fake, key access, the machine number and the
# registry configuration.
velkor_unit_test(registry_port SOURCES registry_port_test.cpp)
velkor_unit_test(registry_key SOURCES registry_key_test.cpp LIBS velkor_engine)
velkor_unit_test(registry_config SOURCES registry_config_test.cpp registry_machine_number_test.cpp
                 LIBS velkor_engine)
