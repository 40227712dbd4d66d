#include "resample_weights.h"

#include <algorithm>
#include <cmath>

namespace {

double Triangle(double x)
{
    x = std::fabs(x);
    return x < 1.0 ? 1.0 - x : 0.0;
}

double CubicBSpline(double x)
{
    x = std::fabs(x);
    if (x < 1.0)
        return x * x * x / 2.0 - x * x + 2.0 / 3.0;
    if (x < 2.0) {
        const double t = 2.0 - x;
        return t * t * t / 6.0;
    }
    return 0.0;
}

int RoundEven(double v) { return static_cast<int>(std::nearbyint(v)); }

// Rounding many small weights can leave their sum far from the intended
// total (about 243 instead of 255 for 6000 pixels into 120), which would let
// the background show through strong reductions. Moves the sum of
// taps[first..] to total one unit at a time, largest weights first.
void SettleSum(std::vector<TWeightTable::TTap>& taps, std::size_t first, int total)
{
    int sum = 0;
    std::vector<std::size_t> order;
    for (std::size_t k = first; k < taps.size(); ++k) {
        sum += taps[k].Weight;
        order.push_back(k);
    }
    std::stable_sort(order.begin(), order.end(),
                     [&taps](std::size_t a, std::size_t b) { return taps[a].Weight > taps[b].Weight; });
    while (sum != total && !order.empty()) {
        for (const std::size_t k : order) {
            if (sum < total) {
                ++taps[k].Weight, ++sum;
            } else if (sum > total && taps[k].Weight > 0) {
                --taps[k].Weight, --sum;
            }
        }
    }
}

// Taps of one destination pixel centred on source coordinate c.
void AddTaps(std::vector<TWeightTable::TTap>& taps, double c, double scale, double radius, bool spline,
             int extent)
{
    const auto f = spline ? CubicBSpline : Triangle;
    const auto clampIndex = [extent](double j) { return int(std::clamp(j, 0.0, double(extent - 1))); };
    const std::size_t first = taps.size();
    if (scale < 1.0) {  // reducing: the filter is widened to 1 / scale source pixels
        const double reach = radius / scale;
        int sum = 0;
        for (double j = std::floor(c - reach); j <= std::ceil(c + reach); ++j) {
            const int w = RoundEven(255.0 * scale * f((c - j) * scale));
            if (w != 0) {
                taps.push_back({clampIndex(j), w});
                sum += w;
            }
        }
        const double total = sum / 255.0;
        if (total != 0.0 && total != 1.0) {
            const double factor = 1.0 / total;
            for (std::size_t k = first; k < taps.size(); ++k)
                taps[k].Weight = RoundEven(taps[k].Weight * factor);
            SettleSum(taps, first, 255);
        }
        if (taps.size() == first)  // so strong a reduction that every weight rounded to 0
            taps.push_back({clampIndex(std::nearbyint(c)), 255});
    } else {  // enlarging
        const double reach = 1.0 / radius;
        for (double j = std::floor(c - reach); j <= std::ceil(c + reach); ++j) {
            const int w = RoundEven(256.0 * f(c - j));
            if (w != 0)
                taps.push_back({clampIndex(j), w});
        }
    }
}

}  // namespace

TWeightTable BuildWeightTable(int first, int count, int m, int extent, TStretchFilter filter)
{
    const bool spline = filter == sfSpline;
    const double radius = spline ? 1.5 : 1.001;
    double scale = count == 1 ? 1.0 : double(m - 1) / double(count - 1);
    double start = first;
    if (m == 1 && count > 1) {  // one pixel for many: average around the middle
        scale = 1.0 / count;
        start = first + (count - 1) / 2.0;
    }
    TWeightTable table;
    table.First.reserve(std::size_t(m) + 1);
    for (int i = 0; i < m; ++i) {
        table.First.push_back(int(table.Taps.size()));
        AddTaps(table.Taps, start + i / scale, scale, radius, spline, extent);
    }
    table.First.push_back(int(table.Taps.size()));
    table.MinIndex = extent - 1;
    for (const auto& tap : table.Taps) {
        table.MinIndex = std::min(table.MinIndex, tap.Index);
        table.MaxIndex = std::max(table.MaxIndex, tap.Index);
    }
    return table;
}

