# The installation engine's unit tests: payload layout, progress and copy,
# the installation sequence and its failures, against the recording fakes.
velkor_unit_test(engine
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/engine_payload_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/engine_progress_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/engine_paced_progress_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/engine_sequence_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/engine_marker_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/engine_fake_system_test.cpp
  LIBS velkor_engine velkor_payload)
