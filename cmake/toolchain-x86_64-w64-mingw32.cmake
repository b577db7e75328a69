# Cross build for 64-bit Windows (x86_64-w64-mingw32): the same sources as the 32-bit product,
# built to run the test suite under 64-bit Wine where the machine cannot run 32-bit code.
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(MINGW_TRIPLE x86_64-w64-mingw32)
find_program(WINE_EXECUTABLE NAMES wine64 PATHS /usr/lib/wine NO_DEFAULT_PATH REQUIRED)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
