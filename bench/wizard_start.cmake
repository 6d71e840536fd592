# The real Velkorsetup.exe's start to its painted welcome page against a
# minimal dialog program, and the wizard's peak working set through a whole
# installation driven through its pages.
if(NOT VELKOR_WIN32)
  return()
endif()
enable_language(RC)
add_executable(bench_minimal_dialog WIN32 ${CMAKE_CURRENT_LIST_DIR}/minimal_dialog.cpp
                                          ${CMAKE_CURRENT_LIST_DIR}/minimal_dialog.rc)
target_include_directories(bench_minimal_dialog PRIVATE ${PROJECT_SOURCE_DIR})
target_link_options(bench_minimal_dialog PRIVATE -municode)
velkor_bench(wizard_start bench_wizard_start
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/wizard_start.cpp
  LIBS velkor_pictureex velkor_framework velkor_window_driver ole32 oleaut32 uuid
  ARGS ${PROJECT_BINARY_DIR}/src/app/Velkorsetup.exe $<TARGET_FILE:bench_minimal_dialog>)
target_link_options(bench_wizard_start PRIVATE -municode)
add_dependencies(bench_wizard_start bench_minimal_dialog Velkorsetup_file)
