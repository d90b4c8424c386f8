# The body of the mingw-w64 toolchain files: QUIB_MINGW_TRIPLET names the
# target (i686-w64-mingw32, x86_64-w64-mingw32). The -posix compilers use the
# POSIX thread model, which std::thread needs; everything is linked statically
# so quib.exe and the test programs run without DLLs.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${QUIB_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QUIB_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${QUIB_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${QUIB_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Test programs run under Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
