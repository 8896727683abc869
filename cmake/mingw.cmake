# MinGW-w64 for Windows: mingw_arch (i686 or x86_64) and mingw_threads (win32 or posix) are set
# by the toolchain file that includes this one.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${mingw_arch})
set(CMAKE_C_COMPILER ${mingw_arch}-w64-mingw32-gcc-${mingw_threads})
set(CMAKE_CXX_COMPILER ${mingw_arch}-w64-mingw32-g++-${mingw_threads})
set(CMAKE_RC_COMPILER ${mingw_arch}-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${mingw_arch}-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
