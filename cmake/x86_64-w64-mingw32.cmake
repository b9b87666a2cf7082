# A test vehicle, not the product: the same sources for 64-bit Windows, run under 64-bit Wine,
# which also works on hosts that cannot run 32-bit programs.
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(MINGW_TRIPLET x86_64-w64-mingw32)
set(WINE_ARCH win64)
set(WINE_PROGRAM /usr/lib/wine/wine64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
