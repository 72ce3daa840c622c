// Timing helpers of the Windows benchmarks: wall-clock seconds and medians.
#pragma once

#include <windows.h>

#include <algorithm>
#include <vector>

namespace bench {

inline double seconds_since(const LARGE_INTEGER& start)
{
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart - start.QuadPart) / frequency.QuadPart;
}

// -1 for no figures.
inline double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? -1 : v[v.size() / 2];
}

} // namespace bench
