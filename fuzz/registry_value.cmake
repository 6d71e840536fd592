# CRegistryKey::QueryString on raw value data of any type and size, read back
# through the in-memory registry and through a port that reports whatever the
# input says. Key access and the trace module are compiled into the target so
# that they are instrumented.
velkor_fuzz_target(registry_value
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/registry_value_fuzz.cpp
          ${PROJECT_SOURCE_DIR}/src/engine/registry_key.cpp
          ${PROJECT_SOURCE_DIR}/src/engine/trace.cpp)
if(NOT VELKOR_WIN32)
  target_include_directories(fuzz_registry_value PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  set(registry_value_corpus ${CMAKE_CURRENT_BINARY_DIR}/registry_value_corpus)
  file(MAKE_DIRECTORY ${registry_value_corpus})
  add_test(NAME fuzz.registry_value_seeded
    COMMAND fuzz_registry_value -runs=20000 -seed=2 -max_len=4096
            ${registry_value_corpus} ${CMAKE_CURRENT_LIST_DIR}/registry_value_seeds)
  set_tests_properties(fuzz.registry_value_seeded PROPERTIES LABELS fuzz TIMEOUT 300)
endif()
