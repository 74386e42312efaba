// One literal pass of EscapeIndex on a vector of lanes: the same operations in
// the same order, each rounded on its own. The squares are of the iterate
// before its update; the lanes still running count the pass, then those whose
// squared magnitude is not below the bound stop.
#pragma once

#include "core/kernel/isa_region.h"

KERNEL_BEGIN

// Returns the squared magnitude the test looked at.
template <class Isa>
KERNEL_INLINE typename Isa::Vec RunPass(typename Isa::Vec& zx, typename Isa::Vec& zy,
                                        typename Isa::Vec cx, typename Isa::Vec cy,
                                        typename Isa::Ints& tag, typename Isa::Mask& running,
                                        typename Isa::Vec bound) {
    typename Isa::Vec x2 = Isa::Mul(zx, zx);
    typename Isa::Vec y2 = Isa::Mul(zy, zy);
    zy = Isa::Add(Isa::Mul(zy, Isa::Add(zx, zx)), cy);
    zx = Isa::Add(Isa::Sub(x2, y2), cx);
    typename Isa::Vec magnitude = Isa::Add(y2, x2);
    tag = Isa::CountPass(tag, running);
    running = Isa::KeepBelow(running, magnitude, bound);
    return magnitude;
}

KERNEL_END
