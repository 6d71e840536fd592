# The rich-text control with inline pictures on Wine's "RICHEDIT" class.
velkor_wine_program(win_face_test
  SOURCES face_test.cpp face_test.rc
  LIBS velkor_faceedit)

set(face_bitmaps Z:${CMAKE_CURRENT_LIST_DIR}/face_data/face_smile.bmp
                 Z:${CMAKE_CURRENT_LIST_DIR}/face_data/face_plus.bmp)
foreach(scenario_filter
    "two_pictures=FacePictures.*"
    "missing_bitmap=FaceMissingBitmap.*"
    "plain_text=FacePlainText.*"
    "no_leaks=FaceLeaks.*"
    "ole_failure=FaceOleFailure.*"
    "on_screen=FaceScreen.*")
  string(REPLACE "=" ";" pair ${scenario_filter})
  list(GET pair 0 scenario)
  list(GET pair 1 filter)
  set(versions win7)
  if(scenario STREQUAL "two_pictures" OR scenario STREQUAL "missing_bitmap")
    set(versions winxp win7)
  endif()
  velkor_wine_test(face.${scenario} win_face_test VERSIONS ${versions}
    ARGS ${face_bitmaps} --gtest_filter=${filter})
endforeach()
