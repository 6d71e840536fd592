velkor_unit_test(controls_gif
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/controls_gif_reader_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/controls_frame_schedule_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/controls_frame_list_test.cpp
  LIBS velkor_pictureex)
velkor_unit_test(controls_facetext
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/controls_face_text_test.cpp
  LIBS velkor_faceedit)
