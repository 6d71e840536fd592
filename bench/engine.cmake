# Extraction of the payload against CopyFileW, the pumps' gaps, the bar's
# share: the image of a synthetic setup file of the real payload size.
velkor_bench(engine.extract bench_engine_extract
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/engine_extract.cpp
  LIBS velkor_engine velkor_payload velkor_platform velkor_payload_seal
  IMAGE_OF engine_bench_setup.exe SYNTHETIC)
