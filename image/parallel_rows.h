#pragma once
// Splits the rows of a large picture over the machine's cores.

#include <algorithm>
#include <cstddef>
#include <thread>
#include <vector>

// Calls work(firstRow, endRow) on disjoint bands covering 0..rows. Small jobs
// (below minPixels) run on the calling thread: starting threads costs more.
template <typename Work>
void ForEachRowBand(int rows, std::size_t pixels, Work work, std::size_t minPixels = 1u << 18)
{
    unsigned bands = std::max(1u, std::thread::hardware_concurrency());
    bands = std::min<unsigned>(bands, static_cast<unsigned>(std::max(rows, 1)));
    if (bands <= 1 || pixels < minPixels) {
        work(0, rows);
        return;
    }
    std::vector<std::thread> helpers;
    const int step = (rows + int(bands) - 1) / int(bands);
    for (int first = step; first < rows; first += step)
        helpers.emplace_back(work, first, std::min(rows, first + step));
    work(0, std::min(rows, step));
    for (std::thread& t : helpers)
        t.join();
}
