# The shipped setup file depends on the sources alone: a second build from a
# copy of the checkout at another path, in fresh trees, gives the same bytes
# (scripts/check-reproducible). It compiles the image once more, so it takes
# both processors while it runs.
if(NOT VELKOR_WIN32)
  return()
endif()
get_target_property(setup_dir Velkorsetup_file BINARY_DIR)
add_test(NAME release.any.reproducible
  COMMAND ${PROJECT_SOURCE_DIR}/scripts/check-reproducible ${VELKOR_NATIVE_TREE} ${CMAKE_BINARY_DIR}
          ${setup_dir}/Velkorsetup.exe $<TARGET_PROPERTY:velkor_image,VELKOR_DEBUG_FILE>)
set_tests_properties(release.any.reproducible PROPERTIES
  LABELS release TIMEOUT 2400 PROCESSORS 2 SKIP_RETURN_CODE 77)
