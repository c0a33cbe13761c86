# Cross build for 64-bit Windows. Not shipped (the distribution is the
# 32-bit build): it runs the Windows tests under 64-bit Wine on machines
# that cannot run 32-bit programs.
set(QUENBY_MINGW_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
