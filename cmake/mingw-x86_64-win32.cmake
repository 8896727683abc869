# The second build of the product's programs, for 64-bit Windows without WOW64 (and 64-bit-only
# test machines): the same thread model as the 32-bit release.
set(mingw_arch x86_64)
set(mingw_threads win32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
