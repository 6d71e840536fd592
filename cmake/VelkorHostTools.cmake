# build/win32 needs tools that run on the build machine: the payload tool
# (tools/mkpayload), the demo font parts it packs, and the NSIS peer's inputs
# (bench). They come from a native build of this same checkout, which the
# win32 build configures and brings up to date itself (an external project):
# build/native when scripts/build gives it (VELKOR_NATIVE_TREE), else a tree
# of its own inside build/win32.
if(NOT VELKOR_WIN32)
  return()
endif()
set(VELKOR_NATIVE_TREE "${CMAKE_BINARY_DIR}/host" CACHE PATH
    "Native tree of the same checkout that builds the host tools (configured if new)")

# The host tools' files, as the win32 tree's rules name them
# (VELKOR_DEMO_FONTS_SUBDIR and _STAMP come from VelkorPayload.cmake).
set(VELKOR_MKPAYLOAD ${VELKOR_NATIVE_TREE}/tools/mkpayload/mkpayload)
set(VELKOR_DEMO_FONTS_DIR ${VELKOR_NATIVE_TREE}/${VELKOR_DEMO_FONTS_SUBDIR})
set(VELKOR_NSIS_INPUTS ${VELKOR_NATIVE_TREE}/bench/bench_nsis_inputs)

# The native tree is built with clang, as scripts/build configures it.
find_program(VELKOR_HOST_CC NAMES clang REQUIRED)
find_program(VELKOR_HOST_CXX NAMES clang++ REQUIRED)

include(ExternalProject)
ExternalProject_Add(velkor_host_tools
  SOURCE_DIR ${PROJECT_SOURCE_DIR}
  BINARY_DIR ${VELKOR_NATIVE_TREE}
  PREFIX ${CMAKE_BINARY_DIR}/host-tools
  CMAKE_ARGS -DCMAKE_C_COMPILER=${VELKOR_HOST_CC} -DCMAKE_CXX_COMPILER=${VELKOR_HOST_CXX}
  BUILD_COMMAND ${CMAKE_COMMAND} --build <BINARY_DIR> --target mkpayload demo_fonts bench_nsis_inputs
  BUILD_ALWAYS TRUE
  INSTALL_COMMAND ""
  BUILD_BYPRODUCTS ${VELKOR_MKPAYLOAD} ${VELKOR_DEMO_FONTS_DIR}/${VELKOR_DEMO_FONTS_STAMP} ${VELKOR_NSIS_INPUTS}
  USES_TERMINAL_BUILD TRUE)
