# The installation engine against the recording fakes: payload layout, progress
# and copy, the sequence and its failures, the held setup file.
velkor_unit_test(engine LIBS velkor_engine
  SOURCES engine_payload_test.cpp engine_progress_test.cpp engine_paced_progress_test.cpp
          engine_sequence_test.cpp engine_marker_test.cpp engine_fake_system_test.cpp)
