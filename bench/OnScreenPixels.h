#pragma once
// What the on-screen benchmark judges in the pixels it polls and in the times it gathers,
// kept apart from X so it can be checked directly.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace onscreen {

struct Rgb
{
    int r = 0, g = 0, b = 0;
};

// A 0x00RRGGBB pixel within `tolerance` of the colour in every channel: the picture goes
// through YUV and each player's own conversion, so a solid colour never comes back exact.
inline bool near(uint32_t pixel, Rgb colour, int tolerance)
{
    return std::abs(int((pixel >> 16) & 0xff) - colour.r) <= tolerance
           && std::abs(int((pixel >> 8) & 0xff) - colour.g) <= tolerance
           && std::abs(int(pixel & 0xff) - colour.b) <= tolerance;
}

// The longest stretch of neighbouring pixels near the colour: a picture is a wide solid band
// across a row, while a stray pixel of the same hue in a button or a border is not.
inline int longestRun(const uint32_t *row, int count, Rgb colour, int tolerance)
{
    int best = 0, run = 0;
    for (int i = 0; i < count; ++i) {
        run = near(row[i], colour, tolerance) ? run + 1 : 0;
        best = std::max(best, run);
    }
    return best;
}

struct Summary
{
    int count = 0;
    double median = 0;
    double max = 0;
    int over = 0;   // strictly more than the limit
};

inline Summary summarize(std::vector<double> values, double limit)
{
    Summary s;
    s.count = int(values.size());
    if (values.empty())
        return s;
    std::sort(values.begin(), values.end());
    const size_t mid = values.size() / 2;
    s.median = values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
    s.max = values.back();
    s.over = int(values.end() - std::upper_bound(values.begin(), values.end(), limit));
    return s;
}

} // namespace onscreen
