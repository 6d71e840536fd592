# The payload tool: CRC-32, SHA-256, the seal record, growing PE stand-ins, mkpayload run
# as a subprocess on small inputs (the product's own files among them), and the
# demo font parts it packs.
if(VELKOR_WIN32)
  return()
endif()

velkor_unit_test(payload_format
  SOURCES payload_crc32_test.cpp payload_seal_test.cpp
          payload_sha256_test.cpp payload_pe_test.cpp
  LIBS velkor_payload mkpayload_core)

velkor_unit_test(payload_mkpayload
  SOURCES payload_mkpayload_test.cpp payload_members_test.cpp
  LIBS mkpayload_core)
target_compile_definitions(unit_payload_mkpayload PRIVATE VELKOR_MKPAYLOAD="$<TARGET_FILE:mkpayload>")
add_dependencies(unit_payload_mkpayload mkpayload)

velkor_unit_test(payload_verify
  SOURCES payload_verify_test.cpp
  LIBS mkpayload_core)
target_compile_definitions(unit_payload_verify PRIVATE VELKOR_MKPAYLOAD="$<TARGET_FILE:mkpayload>")
add_dependencies(unit_payload_verify mkpayload)

velkor_unit_test(payload_fonts
  SOURCES payload_fonts_test.cpp
  LIBS mkpayload_core)
target_compile_definitions(unit_payload_fonts PRIVATE
  VELKOR_DEMO_FONTS="${CMAKE_BINARY_DIR}/${VELKOR_DEMO_FONTS_SUBDIR}")
add_dependencies(unit_payload_fonts demo_fonts)
