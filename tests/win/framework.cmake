# The dialog framework under Wine.
if(VELKOR_WIN32)
  enable_language(RC)
  # Lies beside the test program, where a planted library would lie.
  add_library(velkor_plant SHARED ${CMAKE_CURRENT_LIST_DIR}/framework_plant.cpp)
  set_target_properties(velkor_plant PROPERTIES PREFIX "" OUTPUT_NAME velkor_plant
    RUNTIME_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
endif()
velkor_wine_program(win_framework_test
  SOURCES framework_test.cpp framework_test.rc
  LIBS velkor_framework)
if(VELKOR_WIN32)
  set_target_properties(win_framework_test PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
  add_dependencies(win_framework_test velkor_plant)
endif()
velkor_wine_test(framework win_framework_test VERSIONS winxp win7)
