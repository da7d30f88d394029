#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

// What the current input means, printed with a failed check (set by targets that decode their input).
inline std::string fuzzContext;

// A broken property is a finding: say which and abort, so libFuzzer keeps the input.
#define FUZZ_CHECK(condition, what)                                                                          \
    do {                                                                                                     \
        if (!(condition)) {                                                                                  \
            std::fprintf(stderr, "fuzz check failed at %s:%d: %s (%s)\n%s\n", __FILE__, __LINE__, what,      \
                #condition, fuzzContext.c_str());                                                            \
            std::abort();                                                                                    \
        }                                                                                                    \
    } while (false)
