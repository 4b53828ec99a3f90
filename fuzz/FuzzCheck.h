// The fuzz targets' check: a broken promise stops the run, so that libFuzzer keeps the input.
#pragma once
#include <cstdio>
#include <cstdlib>
inline void Check(bool condition, const char* what)
{
    if (condition) return;
    std::fprintf(stderr, "broken promise: %s\n", what);
    std::abort();
}
