# The installer's compiler: the win32 thread model, whose runtime imports nothing that
# Windows 98 lacks (the posix one needs GetTickCount64 and AddVectoredExceptionHandler).
set(mingw_arch i686)
set(mingw_threads win32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
