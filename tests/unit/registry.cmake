# The registry libraries register themselves from src/engine/CMakeLists.txt;
# until that file includes them, they are brought in here.
if(NOT TARGET velkor_registry)
  include(${PROJECT_SOURCE_DIR}/src/engine/registry.cmake)
endif()

velkor_unit_test(registry_port SOURCES ${CMAKE_CURRENT_LIST_DIR}/registry_port_test.cpp)
velkor_unit_test(registry_key SOURCES ${CMAKE_CURRENT_LIST_DIR}/registry_key_test.cpp LIBS velkor_registry)
velkor_unit_test(registry_config
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/registry_config_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/registry_machine_number_test.cpp
  LIBS velkor_registry)
