# The real main wizard window in the test's own process, under Wine.
if(VELKOR_WIN32 AND TARGET velkor_app)
  velkor_wine_program(win_ui_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/ui_test.cpp
    LIBS velkor_app velkor_resources)
  velkor_wine_test(ui win_ui_test VERSIONS win7 ENV VELKOR_IMAGE_FILE=$<TARGET_FILE:velkor_image>
                   ARGS --gtest_filter=-*.Start*)
  # The start's own libraries, in a process where nothing ran before.
  velkor_wine_test(ui.start win_ui_test VERSIONS win7 ARGS --gtest_filter=*.Start*)
  add_dependencies(win_ui_test velkor_image)
endif()
