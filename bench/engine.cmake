# The engine's extraction bench under Wine (label "bench"): prints ratios, never
# fails on timing. This program is the image of a synthetic setup file of the
# real payload size. Run alone with
#   ctest --test-dir build/win32 -L bench --output-on-failure -V
if(NOT VELKOR_WIN32)
  return()
endif()
add_executable(bench_engine_extract ${CMAKE_CURRENT_LIST_DIR}/engine_extract.cpp)
target_link_libraries(bench_engine_extract PRIVATE velkor_engine velkor_win32_system velkor_payload_seal)
velkor_add_setup(engine_bench_setup.exe IMAGE bench_engine_extract SYNTHETIC)
velkor_wine_test(engine.extract_bench ${PROJECT_SOURCE_DIR}/scripts/winerun VERSIONS win7
                 ARGS ${CMAKE_CURRENT_BINARY_DIR}/engine_bench_setup.exe LABEL bench TIMEOUT 900)
