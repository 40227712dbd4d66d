#pragma once
// The filter weights of the separable resampling filters, one table per axis.

#include "resample.h"

#include <vector>

// The source taps of each destination pixel along one axis.
struct TWeightTable {
    struct TTap {
        int Index;
        int Weight;
    };
    std::vector<int> First;  // taps of pixel i: Taps[First[i]] .. Taps[First[i + 1] - 1]
    std::vector<TTap> Taps;
    int MinIndex = 0, MaxIndex = 0;  // the lowest and highest source index of any tap
};

// Taps for m destination pixels over the source range first..first+count-1
// of an axis whose source bitmap extent is extent (indices are limited to it).
TWeightTable BuildWeightTable(int first, int count, int m, int extent, TStretchFilter filter);
