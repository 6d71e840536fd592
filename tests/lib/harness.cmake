if(VELKOR_WIN32)
  add_test(NAME wine.any.harness_prefixes COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/harness_check.sh)
  set_tests_properties(wine.any.harness_prefixes PROPERTIES LABELS wine TIMEOUT 120)
endif()
