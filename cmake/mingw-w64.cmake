# What both cross toolchains share; the including file sets MINGW_TRIPLET, WINE_ARCH and
# WINE_PROGRAM first. The win32-thread compilers are used on purpose: the posix-thread runtime
# pulls in imports that NT4 does not have.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${MINGW_TRIPLET}-gcc-win32)
set(CMAKE_CXX_COMPILER ${MINGW_TRIPLET}-g++-win32)
set(CMAKE_RC_COMPILER ${MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Wine's own loader, not Debian's wrapper: the wrapper takes the 32-bit loader whenever it is
# installed, even on a host that cannot run it.
set(CMAKE_CROSSCOMPILING_EMULATOR ${WINE_PROGRAM})
