# Library planting: the real setup file in a folder full of libraries named
# like those it could load, driven to the finish under Wine; a naive control
# program from the same folder shows which names Wine takes from there.
if(NOT VELKOR_WIN32)
  return()
endif()

# The plant and the control need no runtime library: only kernel32 (and, for
# the control, its plain imports), so that no planted name can stop them.
set(plant_freestanding -nostdlib -nostartfiles)
add_library(velkor_planting_plant SHARED ${CMAKE_CURRENT_LIST_DIR}/planting_plant.c
                                         ${CMAKE_CURRENT_LIST_DIR}/planting_plant.def)
set_target_properties(velkor_planting_plant PROPERTIES PREFIX "" OUTPUT_NAME planting_plant)
target_link_options(velkor_planting_plant PRIVATE ${plant_freestanding} -Wl,--entry=_PlantMain@12)
target_link_libraries(velkor_planting_plant PRIVATE kernel32 gcc)

add_executable(velkor_planting_control ${CMAKE_CURRENT_LIST_DIR}/planting_control.c)
set_target_properties(velkor_planting_control PROPERTIES OUTPUT_NAME planting_control)
target_link_options(velkor_planting_control PRIVATE ${plant_freestanding} -Wl,--entry=_ControlMain@0)
target_link_libraries(velkor_planting_control PRIVATE
  kernel32 user32 gdi32 advapi32 shell32 ole32 oleaut32 msvcrt winmm version uxtheme comctl32 dwmapi
  userenv msimg32 gcc)

get_target_property(planting_setup_dir Velkorsetup_file BINARY_DIR)
velkor_wine_program(win_planting_test
  SOURCES planting_test.cpp
  LIBS velkor_e2e_driver)
add_dependencies(win_planting_test Velkorsetup_file velkor_planting_plant velkor_planting_control)
velkor_wine_test(planting win_planting_test VERSIONS win7 winxp TIMEOUT 180
  ENV VELKOR_SETUP_FILE=${planting_setup_dir}/Velkorsetup.exe
      VELKOR_PLANT_DLL=$<TARGET_FILE:velkor_planting_plant>
      VELKOR_PLANT_CONTROL=$<TARGET_FILE:velkor_planting_control>
      VELKOR_PLANT_SHOTS=${CMAKE_BINARY_DIR}/tests/win/planting-shots)
# A run that proves nothing (no planted name is taken from a program's folder
# by this Wine) says so and counts as skipped, not passed.
foreach(v win7 winxp)
  set_tests_properties(wine.${v}.planting PROPERTIES SKIP_REGULAR_EXPRESSION "\\[  SKIPPED \\]")
endforeach()
