# Cross-compiling for 64-bit Windows with Debian's mingw-w64 compilers.
#   cmake -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DPELTRIX_WINDOWS_DEPS=PREFIX ...
# PELTRIX_WINDOWS_DEPS is where scripts/windows_deps.sh installed the static libjpeg and libpng.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

# The -posix compilers: GCC's default win32 thread model has no std::thread.
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

# GCC cannot align the Win64 stack to 32 bytes, so a spilled AVX2 vector must be moved with
# unaligned instructions.
set(CMAKE_C_FLAGS_INIT "-Wa,-muse-unaligned-vector-move")
set(CMAKE_CXX_FLAGS_INIT "-Wa,-muse-unaligned-vector-move")
# Static: the programs then import only Windows' own DLLs (no libstdc++, winpthread, zlib DLLs).
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
if(PELTRIX_WINDOWS_DEPS)
  list(APPEND CMAKE_FIND_ROOT_PATH "${PELTRIX_WINDOWS_DEPS}")
endif()
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES PELTRIX_WINDOWS_DEPS)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# zlib: the static library, not the import library FindZLIB would pick (that needs zlib1.dll).
set(ZLIB_LIBRARY /usr/x86_64-w64-mingw32/lib/libz.a CACHE FILEPATH "static zlib for mingw")
set(ZLIB_INCLUDE_DIR /usr/x86_64-w64-mingw32/include CACHE PATH "zlib headers for mingw")
