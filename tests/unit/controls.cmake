# The GIF reader, the frame scheduling and list, and the face-symbol text.
velkor_unit_test(controls_gif LIBS velkor_pictureex
  SOURCES controls_gif_reader_test.cpp controls_frame_schedule_test.cpp controls_frame_list_test.cpp)
velkor_unit_test(controls_facetext SOURCES controls_face_text_test.cpp LIBS velkor_faceedit)
