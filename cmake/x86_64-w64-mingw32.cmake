# Cross compiling for 64-bit Windows with mingw-w64: a test build of the same
# sources, for machines whose kernel cannot run 32-bit programs (see
# scripts/wine_env); quib.exe itself is the 32-bit build.
set(QUIB_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
