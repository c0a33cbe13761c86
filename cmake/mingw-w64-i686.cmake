# Cross build for 32-bit Windows: the shipped programs.
set(QUENBY_MINGW_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
