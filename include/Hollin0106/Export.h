// HOLLIN0106_API marks what the library exports: the public classes and functions of
// these headers, and nothing else (the library is built with hidden visibility).
#pragma once

#if defined(_WIN32)
// Inside the library's own build the marked declarations are exported; a program that
// uses Hollin0106.dll imports them.
#if defined(HOLLIN0106_BUILDING)
#define HOLLIN0106_API __declspec(dllexport)
#else
#define HOLLIN0106_API __declspec(dllimport)
#endif
#else
#define HOLLIN0106_API __attribute__((visibility("default")))
#endif
