# The setup file ships in its release form: no debug sections or symbols in
# its image, and a crash address still reads as a function and a source line
# through the debug file beside it.
if(NOT VELKOR_WIN32)
  return()
endif()
get_target_property(setup_dir Velkorsetup_file BINARY_DIR)
string(REGEX REPLACE "objcopy$" "" binutils_prefix ${CMAKE_OBJCOPY})
add_test(NAME release.any.shipped_image
  COMMAND ${CMAKE_CURRENT_LIST_DIR}/check_shipped_image.sh ${binutils_prefix}
          ${setup_dir}/Velkorsetup.exe $<TARGET_PROPERTY:velkor_image,VELKOR_DEBUG_FILE> _wWinMain@16 src/app/main.cpp)
set_tests_properties(release.any.shipped_image PROPERTIES LABELS release TIMEOUT 120)
