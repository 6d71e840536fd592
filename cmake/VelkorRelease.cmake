# The shipped form of the build/win32 tree's programs.
#
# Reproducible: the same sources give the same bytes wherever they are checked
# out and whenever they are built. The linker writes no time stamp into the PE
# header (the resource directory's stamps are 0 already), and debug
# information and __FILE__ name sources relative to the checkout
# ("./src/app/main.cpp", the build tree being ".").
#
# velkor_split_debug_info(<target> <debug file name>)
# After each link, moves the target's debug sections and symbols into
# <debug file name> beside it and leaves in the target a debug link to that
# file, so that debuggers and addr2line still read a crash address as a
# function and a source line while the shipped image carries no debug data.
# The target's property VELKOR_DEBUG_FILE holds the debug file's path.

if(NOT VELKOR_WIN32)
  return()
endif()

add_link_options(LINKER:--no-insert-timestamp)
# The last map is tried first: the build tree usually lies inside the checkout.
add_compile_options(
  "$<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${PROJECT_SOURCE_DIR}/=>"
  "$<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${CMAKE_BINARY_DIR}=.>")

if(NOT CMAKE_OBJCOPY)
  message(FATAL_ERROR "velkor_split_debug_info: no objcopy for the cross toolchain (binutils-mingw-w64-i686)")
endif()

function(velkor_split_debug_info target debug_name)
  get_target_property(dir ${target} RUNTIME_OUTPUT_DIRECTORY)
  if(NOT dir)
    set(dir ${CMAKE_CURRENT_BINARY_DIR})
  endif()
  set(debug ${dir}/${debug_name})
  # objcopy stamps the PE header with the time of the copy unless
  # SOURCE_DATE_EPOCH says otherwise; 0 keeps the linker's (absent) stamp.
  set(objcopy ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=0 ${CMAKE_OBJCOPY})
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${objcopy} --only-keep-debug $<TARGET_FILE:${target}> ${debug}
    COMMAND ${objcopy} --strip-all --add-gnu-debuglink=${debug} $<TARGET_FILE:${target}>
    BYPRODUCTS ${debug}
    COMMENT "Moving the debug information of ${target} into ${debug_name}"
    VERBATIM)
  set_target_properties(${target} PROPERTIES VELKOR_DEBUG_FILE ${debug})
endfunction()
