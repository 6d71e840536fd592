# The real Velkorsetup.exe against NSIS installers of the same nine files
# (stored, zlib, solid LZMA), each run in a fresh prefix, interleaved, medians
# of VELKOR_PEER_ROUNDS rounds: bench.win7.peer (bench/peer_rounds.sh).
set(VELKOR_PEER_ROUNDS 5 CACHE STRING "Rounds of the peer benchmark (each runs every setup once)")
set(peer_compressions off zlib lzma)

if(NOT VELKOR_WIN32)
  # The native tree writes the NSIS script's inputs from the wizard's core and
  # tests the arithmetic of the table.
  add_library(velkor_bench_peer STATIC ${CMAKE_CURRENT_LIST_DIR}/nsis_inputs.cpp
                                       ${CMAKE_CURRENT_LIST_DIR}/peer_results.cpp)
  target_include_directories(velkor_bench_peer PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(velkor_bench_peer PUBLIC velkor_wizard)
  add_executable(bench_nsis_inputs ${CMAKE_CURRENT_LIST_DIR}/nsis_inputs_main.cpp)
  target_link_libraries(bench_nsis_inputs PRIVATE velkor_bench_peer)
  velkor_unit_test(bench_peer SOURCES peer_results_test.cpp
                                      nsis_inputs_test.cpp
                   LIBS velkor_bench_peer)
  return()
endif()

find_program(VELKOR_MAKENSIS makensis)
set(nsis_inputs_tool ${VELKOR_NSIS_INPUTS})
set(mkpayload_tool ${VELKOR_MKPAYLOAD})
if(NOT VELKOR_MAKENSIS)
  message(FATAL_ERROR "bench peer: makensis is missing (scripts/bootstrap installs nsis)")
endif()

set(wizard_setup ${PROJECT_BINARY_DIR}/src/app/Velkorsetup.exe)
set(peer_dir ${CMAKE_CURRENT_BINARY_DIR}/peer)
string(JOIN ", " peer_compression_names ${peer_compressions})
set(peer_setups)
foreach(c ${peer_compressions})
  list(APPEND peer_setups ${peer_dir}/nsis-${c}.exe)
endforeach()
add_custom_command(
  OUTPUT ${peer_setups}
  COMMAND ${CMAKE_CURRENT_LIST_DIR}/peer_setups.sh ${VELKOR_MAKENSIS} ${mkpayload_tool} ${nsis_inputs_tool}
          ${wizard_setup} ${CMAKE_CURRENT_LIST_DIR}/peer.nsi ${peer_dir} ${peer_compressions}
  DEPENDS ${CMAKE_CURRENT_LIST_DIR}/peer_setups.sh ${CMAKE_CURRENT_LIST_DIR}/peer.nsi ${wizard_setup}
          Velkorsetup_file ${mkpayload_tool} ${nsis_inputs_tool}
  COMMENT "Writing the NSIS peer setups (${peer_compression_names})"
  VERBATIM)
add_custom_target(bench_peer_setups ALL DEPENDS ${peer_setups})

add_executable(bench_peer ${CMAKE_CURRENT_LIST_DIR}/peer.cpp ${CMAKE_CURRENT_LIST_DIR}/peer_results.cpp)
target_include_directories(bench_peer PRIVATE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/src
                                              ${PROJECT_SOURCE_DIR}/tests)
target_link_libraries(bench_peer PRIVATE velkor_engine comctl32 psapi)
target_link_options(bench_peer PRIVATE -municode)
add_dependencies(bench_peer bench_peer_setups bench_minimal_dialog Velkorsetup_file)

velkor_wine_test(peer ${CMAKE_CURRENT_LIST_DIR}/peer_rounds.sh VERSIONS win7
                 ARGS ${PROJECT_SOURCE_DIR}/scripts/winerun $<TARGET_FILE:bench_peer>
                      $<TARGET_FILE:bench_minimal_dialog> ${VELKOR_PEER_ROUNDS} ${wizard_setup} ${peer_setups}
                 LABEL bench TIMEOUT 900)
set_tests_properties(bench.win7.peer PROPERTIES RUN_SERIAL TRUE)
