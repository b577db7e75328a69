# Cross build for 32-bit Windows (i686-w64-mingw32), the program as shipped; test programs
# run under 32-bit Wine.
set(CMAKE_SYSTEM_PROCESSOR x86)
set(MINGW_TRIPLE i686-w64-mingw32)
find_program(WINE_EXECUTABLE NAMES wine REQUIRED)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
