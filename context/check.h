// The viewer's own invariants, stated where they hold: checked with a message in the test builds
// (PAGEWELL_CHECKS), free in the release build.
#pragma once

#include <cstdio>
#include <cstdlib>

#if defined(PAGEWELL_CHECKS)
#define PAGEWELL_CHECK(condition, message)                                                                   \
    do {                                                                                                     \
        if (!(condition)) {                                                                                  \
            std::fprintf(stderr, "%s:%d: %s (%s does not hold)\n", __FILE__, __LINE__, message, #condition); \
            std::abort();                                                                                    \
        }                                                                                                    \
    } while (0)
#else
#define PAGEWELL_CHECK(condition, message) ((void)0)
#endif
