# Test registration for both trees. Labels: unit, wine, e2e, fuzz.

# Relative SOURCES of the functions below are relative to the list that calls
# them (a tier's <area>.cmake), not to tests/.
macro(velkor_sources_of_caller var)
  list(TRANSFORM ${var} PREPEND ${CMAKE_CURRENT_LIST_DIR}/ REGEX "^[^/$]")
endmacro()

# velkor_unit_test(<name> SOURCES <files...> LIBS <targets...>)
# A native GoogleTest program, one ctest entry "unit.<name>".
function(velkor_unit_test name)
  cmake_parse_arguments(A "" "" "SOURCES;LIBS" ${ARGN})
  if(VELKOR_WIN32)
    return()
  endif()
  velkor_sources_of_caller(A_SOURCES)
  add_executable(unit_${name} ${A_SOURCES})
  target_link_libraries(unit_${name} PRIVATE ${A_LIBS} gmock gtest_main)
  target_include_directories(unit_${name} PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
  add_test(NAME unit.${name} COMMAND unit_${name} --gtest_brief=1)
  set_tests_properties(unit.${name} PROPERTIES LABELS unit TIMEOUT 300)
endfunction()

# velkor_wine_program(<target> SOURCES <files...> LIBS <targets...> [GUI])
# A cross-built GoogleTest program for velkor_wine_test.
function(velkor_wine_program target)
  cmake_parse_arguments(A "GUI" "" "SOURCES;LIBS" ${ARGN})
  if(NOT VELKOR_WIN32)
    return()
  endif()
  velkor_sources_of_caller(A_SOURCES)
  add_executable(${target} ${A_SOURCES})
  target_link_libraries(${target} PRIVATE ${A_LIBS} gmock gtest)
  target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
endfunction()

# velkor_wine_test(<scenario> <target> VERSIONS <winver...> [ARGS ...] [LABEL wine|e2e] [TIMEOUT s])
# One ctest entry per Windows version: "<label>.<winver>.<scenario>", so a
# failure names the version and the scenario. Each run gets a fresh prefix.
function(velkor_wine_test scenario target)
  cmake_parse_arguments(A "" "LABEL;TIMEOUT" "VERSIONS;ARGS;ENV" ${ARGN})
  if(NOT VELKOR_WIN32)
    return()
  endif()
  if(NOT A_LABEL)
    set(A_LABEL wine)
  endif()
  if(NOT A_TIMEOUT)
    set(A_TIMEOUT 300)
  endif()
  if(NOT A_VERSIONS)
    set(A_VERSIONS win7)
  endif()
  foreach(v ${A_VERSIONS})
    set(n ${A_LABEL}.${v}.${scenario})
    add_test(NAME ${n} COMMAND ${target} ${A_ARGS})
    set_tests_properties(${n} PROPERTIES LABELS ${A_LABEL} TIMEOUT ${A_TIMEOUT}
      ENVIRONMENT "VELKOR_WINVER=${v};VELKOR_SCENARIO=${scenario};${A_ENV}")
  endforeach()
endfunction()

# velkor_fuzz_target(<name> SOURCES <files...> LIBS <targets...> [SMOKE_RUNS n])
# A libFuzzer target built with clang, ASan and UBSan in the native tree, and a
# short smoke run "fuzz.<name>" in the fuzz tier. The native tree must be
# configured with clang (scripts/build does), or the fuzz tier would vanish.
function(velkor_fuzz_target name)
  cmake_parse_arguments(A "" "SMOKE_RUNS" "SOURCES;LIBS" ${ARGN})
  if(VELKOR_WIN32)
    return()
  endif()
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "fuzz.${name}: the native tree needs clang (CC=clang CXX=clang++), "
                        "which the fuzz targets are built with")
  endif()
  if(NOT A_SMOKE_RUNS)
    set(A_SMOKE_RUNS 20000)
  endif()
  add_executable(fuzz_${name} ${A_SOURCES})
  target_include_directories(fuzz_${name} PRIVATE ${PROJECT_SOURCE_DIR}/src)
  target_compile_options(fuzz_${name} PRIVATE -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all)
  target_link_options(fuzz_${name} PRIVATE -fsanitize=fuzzer,address,undefined)
  target_link_libraries(fuzz_${name} PRIVATE ${A_LIBS})
  add_test(NAME fuzz.${name} COMMAND fuzz_${name} -runs=${A_SMOKE_RUNS} -seed=1 -max_len=4096)
  set_tests_properties(fuzz.${name} PROPERTIES LABELS fuzz TIMEOUT 300)
endfunction()
