# The animated picture control under Wine: loading, playing, painting,
# resources, and the wizard's two animations on screen.
if(VELKOR_WIN32)
  enable_language(RC)
endif()
velkor_wine_program(win_picture_test
  SOURCES picture_main.cpp picture_load_test.cpp picture_play_test.cpp picture_screen_test.cpp
          picture_test.rc
  LIBS velkor_pictureex)
if(VELKOR_WIN32)
  set_source_files_properties(${CMAKE_CURRENT_LIST_DIR}/picture_test.rc PROPERTIES
    OBJECT_DEPENDS "${CMAKE_CURRENT_LIST_DIR}/picture_data/frames.gif;${PROJECT_SOURCE_DIR}/src/resources/art/banner206.gif;${PROJECT_SOURCE_DIR}/src/resources/art/anim210.gif")
endif()
velkor_wine_test(picture.loads win_picture_test VERSIONS winxp win7 ARGS --gtest_filter=Loading.*)
velkor_wine_test(picture.plays win_picture_test VERSIONS winxp win7 ARGS --gtest_filter=Playing.*)
velkor_wine_test(picture.screen win_picture_test VERSIONS win7 ARGS --gtest_filter=Screen.*)
