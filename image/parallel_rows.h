#pragma once
// Splits the rows of a large picture over the machine's cores.

#include <algorithm>
#include <cstddef>
#include <system_error>
#include <thread>
#include <vector>

// Calls work(firstRow, endRow) on disjoint bands covering 0..rows; work must
// not throw. Small jobs (below minPixels) run on the calling thread alone:
// starting threads would cost more than it saves.
template <typename Work>
void ForEachRowBand(int rows, std::size_t pixels, Work work, std::size_t minPixels = 1u << 18)
{
    unsigned bands = std::max(1u, std::thread::hardware_concurrency());
    bands = std::min<unsigned>(bands, static_cast<unsigned>(std::max(rows, 1)));
    if (bands <= 1 || pixels < minPixels) {
        work(0, rows);
        return;
    }
    const int step = (rows + int(bands) - 1) / int(bands);
    std::vector<std::jthread> helpers;  // joined when they go out of scope
    for (int first = step; first < rows; first += step) {
        try {
            helpers.emplace_back(work, first, std::min(rows, first + step));
        } catch (const std::system_error&) {
            work(first, std::min(rows, first + step));  // no thread to be had: do it here
        }
    }
    work(0, std::min(rows, step));
}
