#include "fuzz_input.h"

#include <cstdio>
#include <cstdlib>

void fuzz_property_failed(const char* condition, const char* file, int line)
{
    std::fprintf(stderr, "%s:%d: property broken: %s\n", file, line, condition);
    std::abort();
}
