# Win32 adapters of the font table, libraries, shell folders and links,
# processes, shell start and session (build/win32 only).
if(NOT VELKOR_WIN32)
  return()
endif()
add_library(velkor_win32_finish STATIC
  ${CMAKE_CURRENT_LIST_DIR}/win32_font_table.cpp
  ${CMAKE_CURRENT_LIST_DIR}/win32_libraries.cpp
  ${CMAKE_CURRENT_LIST_DIR}/win32_special_folders.cpp
  ${CMAKE_CURRENT_LIST_DIR}/win32_shell_links.cpp
  ${CMAKE_CURRENT_LIST_DIR}/win32_processes.cpp
  ${CMAKE_CURRENT_LIST_DIR}/win32_shell_execute.cpp
  ${CMAKE_CURRENT_LIST_DIR}/win32_session.cpp)
target_include_directories(velkor_win32_finish PUBLIC ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(velkor_win32_finish PUBLIC velkor_framework gdi32 shell32 ole32 user32)
