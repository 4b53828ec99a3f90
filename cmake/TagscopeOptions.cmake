# What the project's own targets compile and link with, as targets to link PRIVATE rather
# than flags for the whole tree: the installed library's users and the third-party code
# built here (GoogleTest for MinGW) get none of it.
#
#   tagscope_options         warnings (errors with TAGSCOPE_WERROR), the sanitizers with
#                            TAGSCOPE_SANITIZE, the Windows API settings
#   tagscope_fuzz_coverage   libFuzzer's coverage feedback with TAGSCOPE_FUZZ, on the code
#                            the fuzz targets link

add_library(tagscope_options INTERFACE)
target_compile_options(tagscope_options INTERFACE -Wall -Wextra -Wpedantic $<$<BOOL:${TAGSCOPE_WERROR}>:-Werror>)
if(WIN32)
  # The wide (UTF-16) system calls, and no min/max macros from windows.h.
  target_compile_definitions(tagscope_options INTERFACE
    UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
endif()
if(TAGSCOPE_SANITIZE)
  set(tagscope_sanitizers -fsanitize=address,undefined)
  target_compile_options(tagscope_options INTERFACE
    ${tagscope_sanitizers} -fno-sanitize-recover=all -fno-omit-frame-pointer)
  target_link_options(tagscope_options INTERFACE ${tagscope_sanitizers})
endif()

add_library(tagscope_fuzz_coverage INTERFACE)
if(TAGSCOPE_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "TAGSCOPE_FUZZ needs clang (libFuzzer); use the preset 'fuzz'")
  endif()
  target_compile_options(tagscope_fuzz_coverage INTERFACE -fsanitize=fuzzer-no-link)
endif()
