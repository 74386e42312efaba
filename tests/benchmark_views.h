// The views the speed benchmarks time and the kernel tests check whole
// frames of: wide, mostly inside, at the boundary, in the main cardioid and
// deep in a zoom.
#pragma once

#include <cstdint>

#include "core/view.h"

struct View {
    const char* name;
    double reLeft;
    double imOffset;
    double reSpan;
};

constexpr View kStartView{"start", -2.0, 1.3, 3.0};
constexpr View kInteriorView{"interior", -0.8, 0.2, 0.4};
constexpr View kBoundaryView{"boundary", -0.753, -0.098, 0.006};
constexpr View kCardioidView{"cardioid", -0.6, 0.2, 0.6};
constexpr View kDeepView{"deep", -0.74364388703715, -0.13182590420533, 1e-13};

constexpr View kBenchmarkViews[] = {kStartView, kInteriorView, kBoundaryView, kCardioidView,
                                    kDeepView};

// Makes view the current one, with the scales of a client clientRight wide.
inline void ShowView(const View& view, std::int32_t clientRight) {
    reLeft = view.reLeft;
    imOffset = view.imOffset;
    reSpan = view.reSpan;
    UpdateScales(clientRight);
}
