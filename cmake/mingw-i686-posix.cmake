# The test programs' compiler: GoogleTest needs the posix thread model. Never used for the
# installer itself, whose runtime must load on Windows 98.
set(mingw_arch i686)
set(mingw_threads posix)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
