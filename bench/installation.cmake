# The whole installation against a plain copy, and its peak working set with
# the demo payload and with one twice its size: the image of a setup file with
# the demo payload (real stand-in programs and fonts).
if(TARGET velkor_installation)
  velkor_bench(installation bench_installation
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/installation.cpp
    LIBS velkor_installation velkor_win32_system velkor_win32_registry velkor_win32_finish
         velkor_payload_seal ole32 shell32 uuid
    IMAGE_OF installation_bench_setup.exe)
endif()
