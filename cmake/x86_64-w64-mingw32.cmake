# Cross compiling for 64-bit Windows with mingw-w64: a test build of the same
# sources, for machines whose kernel cannot run 32-bit programs (see
# scripts/wine_env); quib.exe itself is the 32-bit build. The -posix
# compilers use the POSIX thread model, which std::thread needs; everything is
# linked statically so quib.exe and the test programs run without DLLs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Test programs run under Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
