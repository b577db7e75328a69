# Shared part of the mingw-w64 toolchain files: the caller sets MINGW_TRIPLE, the processor
# and the Wine loader that runs the programs.
set(CMAKE_SYSTEM_NAME Windows)

# The -posix thread model: the default -win32 variant of GCC 12 has no std::thread/std::mutex.
set(CMAKE_C_COMPILER   ${MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER  ${MINGW_TRIPLE}-windres)
set(CMAKE_AR           /usr/bin/${MINGW_TRIPLE}-ar     CACHE FILEPATH "")
set(CMAKE_RANLIB       /usr/bin/${MINGW_TRIPLE}-ranlib CACHE FILEPATH "")
set(CMAKE_OBJDUMP      /usr/bin/${MINGW_TRIPLE}-objdump CACHE FILEPATH "")

set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Fully static runtime: setup.exe must import no mingw DLL (-static-libgcc/-static-libstdc++
# alone still leave libwinpthread-1.dll).
set(CMAKE_EXE_LINKER_FLAGS_INIT    "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")

# ctest and gtest_discover_tests run the .exe files through Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR ${WINE_EXECUTABLE})
