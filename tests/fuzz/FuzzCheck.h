// The fuzz targets' assertion: a broken invariant prints what broke and where, then aborts,
// which libFuzzer reports as a finding and saves the input as its reproducer.
#pragma once

#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(condition)                                                                          \
    do                                                                                                 \
    {                                                                                                  \
        if (!(condition))                                                                              \
        {                                                                                              \
            std::fprintf(stderr, "%s:%d: invariant broken: %s\n", __FILE__, __LINE__, #condition);     \
            std::abort();                                                                              \
        }                                                                                              \
    } while (false)
