# The test programs of the 64-bit build (GoogleTest needs the posix thread model).
set(mingw_arch x86_64)
set(mingw_threads posix)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
