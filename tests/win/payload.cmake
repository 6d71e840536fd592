# The demo setup file under Wine: members sliced out by the member table run,
# load and install; the seal matches the payload. A small image of our own
# stands in for the wizard's image here.
if(NOT VELKOR_WIN32)
  return()
endif()

add_executable(payload_test_image ${CMAKE_CURRENT_LIST_DIR}/payload_image/image.cpp)
target_include_directories(payload_test_image PRIVATE ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(payload_test_image PRIVATE velkor_payload_seal)
target_link_options(payload_test_image PRIVATE -municode)
velkor_add_setup(payload_demo_setup.exe IMAGE payload_test_image)

velkor_wine_program(win_payload_test SOURCES payload_members_test.cpp
                    LIBS velkor_payload velkor_window_driver gdi32)
target_include_directories(win_payload_test PRIVATE ${CMAKE_CURRENT_LIST_DIR})
add_dependencies(win_payload_test payload_demo_setup_file)

set(setup Z:${CMAKE_CURRENT_BINARY_DIR}/payload_demo_setup.exe)
set(image Z:$<TARGET_FILE:payload_test_image>)
foreach(scenario_filter
    "members_layout=PayloadLayout.*"
    "members_run=PayloadPrograms.*:PayloadLibraries.*"
    "fonts_install=PayloadFonts.*"
    "seal_check=PayloadSeal.*")
  string(REPLACE "=" ";" pair ${scenario_filter})
  list(GET pair 0 scenario)
  list(GET pair 1 filter)
  velkor_wine_test(payload.${scenario} win_payload_test VERSIONS winxp win7
                   ARGS ${setup} ${image} --gtest_filter=${filter})
endforeach()
