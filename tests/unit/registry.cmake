# The registry port's in-memory fake, key access, the machine number and the
# registry configuration.

velkor_unit_test(registry_port SOURCES ${CMAKE_CURRENT_LIST_DIR}/registry_port_test.cpp)
velkor_unit_test(registry_key SOURCES ${CMAKE_CURRENT_LIST_DIR}/registry_key_test.cpp LIBS velkor_engine)
velkor_unit_test(registry_config
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/registry_config_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/registry_machine_number_test.cpp
  LIBS velkor_engine)
