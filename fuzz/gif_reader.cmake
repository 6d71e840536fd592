# The reader is compiled into the target itself so that it is instrumented.
velkor_fuzz_target(gif_reader
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/gif_reader_fuzz.cpp
          ${PROJECT_SOURCE_DIR}/src/controls/pictureex/gif_reader.cpp
          ${PROJECT_SOURCE_DIR}/src/controls/pictureex/frame_schedule.cpp)

# A second smoke run that starts from the committed seed GIFs. New inputs go
# to a corpus folder in the build tree, never into the sources.
if(NOT VELKOR_WIN32)
  set(gif_corpus ${CMAKE_CURRENT_BINARY_DIR}/gif_reader_corpus)
  file(MAKE_DIRECTORY ${gif_corpus})
  add_test(NAME fuzz.gif_reader_seeded
    COMMAND fuzz_gif_reader -runs=20000 -seed=2 -max_len=4096
            -dict=${CMAKE_CURRENT_LIST_DIR}/gif_reader.dict
            ${gif_corpus} ${CMAKE_CURRENT_LIST_DIR}/gif_reader_seeds)
  set_tests_properties(fuzz.gif_reader_seeded PROPERTIES LABELS fuzz TIMEOUT 300)
endif()
