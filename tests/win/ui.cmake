# The real main wizard window in the test's own process, under Wine.
if(VELKOR_WIN32 AND TARGET velkor_app)
  velkor_wine_program(win_ui_test
    SOURCES ui_test.cpp
    LIBS velkor_app velkor_resources)
  velkor_wine_test(ui win_ui_test VERSIONS win7 ENV VELKOR_IMAGE_FILE=$<TARGET_FILE:velkor_image>)
  add_dependencies(win_ui_test velkor_image)
endif()
