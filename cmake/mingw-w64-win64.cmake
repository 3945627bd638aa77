# Cross-build for 64-bit Windows with Debian's mingw-w64 (x86-64); this build runs
# under wine64 in the tests.
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(toolchain_prefix x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
