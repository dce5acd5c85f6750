# What ships (the setup and the product's programs) is built with the win32-thread mingw-w64
# compilers. None of it starts a thread, and under the posix model the exception runtime
# alone brings in the whole posix-thread layer.
include("${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw-i686.cmake")
set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-win32)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-win32)
