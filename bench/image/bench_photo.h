#pragma once
// What the image benchmarks share: the 6000 x 4000 photo and the run settings.

#include "bitmap32.h"

#include <benchmark/benchmark.h>

const TBitmap32& BenchPhoto();
void Setup(benchmark::internal::Benchmark* b);
