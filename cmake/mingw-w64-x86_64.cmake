# Cross build for 64-bit Windows with Debian's MinGW-w64 (the POSIX-threads flavour, whose
# libstdc++ has std::thread and std::mutex). Test programs run under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TAGSCOPE_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TAGSCOPE_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TAGSCOPE_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${TAGSCOPE_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TAGSCOPE_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The GCC runtime (libgcc, libstdc++, winpthread) goes into every program and the DLL,
# so they run on a bare Windows and under Wine without DLLs from the cross compiler.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")

# Programs built here (test discovery, ctest) run under Wine; the wrapper keeps Wine's
# prefix in the build folder and its own messages off the output.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run)
