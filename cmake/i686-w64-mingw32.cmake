# The shipped program's toolchain: 32-bit x86 Windows, run under 32-bit Wine.
set(CMAKE_SYSTEM_PROCESSOR x86)
set(MINGW_TRIPLET i686-w64-mingw32)
set(WINE_ARCH win32)
set(WINE_PROGRAM /usr/lib/wine/wine)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
