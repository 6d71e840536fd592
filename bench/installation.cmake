# The whole installation against a plain copy, and its peak working set with
# the demo payload and with one twice its size: the image of a setup file with
# the demo payload (real stand-in programs and fonts).
velkor_bench(installation bench_installation
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/installation.cpp
  LIBS velkor_engine velkor_platform velkor_payload_seal ole32 shell32 uuid
  IMAGE_OF installation_bench_setup.exe)
