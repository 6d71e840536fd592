# velkor_add_setup(<output file name> IMAGE <image target> [SYNTHETIC | MEMBERS])
#
# In build/win32: writes <output file name> into the calling folder's binary
# dir: the image target's file with its seal filled, then the payload, made by
# the native tree's tools/mkpayload from the stand-ins (tools/standins) and the
# demo fonts (the host tools, cmake/VelkorHostTools.cmake), or from deterministic bytes with SYNTHETIC. With MEMBERS the
# demo payload takes the way of a release: its nine members are written as
# files into <output name without extension>_members/ beside the output, and
# the setup file is packed from that folder (mkpayload --members); the bytes
# are the same. Made again whenever the image, a stand-in, a font or the tool
# changes. Also defines a target of the same name without ".exe" plus "_file"
# (e.g. payload_demo_setup_file) that builds it with ALL.

# Where the native tree keeps the demo font parts, and the file it writes last.
set(VELKOR_DEMO_FONTS_SUBDIR tools/mkpayload/fonts)
set(VELKOR_DEMO_FONTS_STAMP fonts.stamp)

function(velkor_add_setup output)
  cmake_parse_arguments(A "SYNTHETIC;MEMBERS" "IMAGE" "" ${ARGN})
  if(NOT VELKOR_WIN32)
    return()
  endif()
  if(NOT A_IMAGE)
    message(FATAL_ERROR "velkor_add_setup(${output}): IMAGE <target> is required")
  endif()
  if(A_SYNTHETIC AND A_MEMBERS)
    message(FATAL_ERROR "velkor_add_setup(${output}): SYNTHETIC or MEMBERS, not both")
  endif()
  set(tool ${VELKOR_MKPAYLOAD})
  set(out ${CMAKE_CURRENT_BINARY_DIR}/${output})
  string(REGEX REPLACE "\\.[^.]*$" "" base ${output})
  set(write_members)
  if(A_SYNTHETIC)
    set(inputs --synthetic)
    set(input_files)
    set(input_targets)
  else()
    set(fonts ${VELKOR_DEMO_FONTS_DIR})
    # tools/standins may be added after the caller: its target's properties
    # (the stand-ins' folder and files) are read at generation time.
    set(inputs --standins $<TARGET_PROPERTY:velkor_standins,VELKOR_STANDINS_DIR> --fonts ${fonts})
    set(input_files ${fonts}/${VELKOR_DEMO_FONTS_STAMP} $<GENEX_EVAL:$<TARGET_PROPERTY:velkor_standins,VELKOR_STANDIN_FILES>>)
    set(input_targets velkor_standins)
    if(A_MEMBERS)
      set(members ${CMAKE_CURRENT_BINARY_DIR}/${base}_members)
      set(write_members COMMAND ${CMAKE_COMMAND} -E rm -rf ${members}
                        COMMAND ${tool} ${inputs} --write-members ${members})
      set(inputs --members ${members})
    endif()
  endif()
  add_custom_command(
    OUTPUT ${out}
    ${write_members}
    COMMAND ${tool} --image $<TARGET_FILE:${A_IMAGE}> ${inputs} --out ${out}
    DEPENDS ${tool} ${A_IMAGE} $<TARGET_FILE:${A_IMAGE}> ${input_targets} ${input_files}
    COMMENT "Writing setup file ${output}"
    VERBATIM)
  add_custom_target(${base}_file ALL DEPENDS ${out})
endfunction()
