// WebAssembly 128-bit vector primitives for the kernels: two doubles per
// register, as with SSE2, so the same algorithm and shapes fit.
#pragma once

#if defined(__wasm__)

#include <wasm_simd128.h>

#include <cstdint>

#include "core/kernel/lane_tag.h"

// This header picks the instruction set of every kernel header after it.
#ifdef KERNEL_BEGIN
#error "the instruction set's header must come before the other kernel headers"
#endif
#define KERNEL_ISA_WASM128
#include "core/kernel/isa_region.h"

KERNEL_BEGIN

struct Wasm128 {
    using Vec = v128_t;
    using Ints = v128_t;
    // The lanes still running hold kPassUnit, the others zero.
    using Mask = v128_t;
    // All ones where the lane mask is just the upper lane: then the first
    // value goes there (expanding) or comes from there (compressing).
    using Order = v128_t;
    static constexpr int kLanes = 2;

    static Vec Load(const double* p) { return wasm_v128_load(p); }
    static void Store(double* p, Vec v) { wasm_v128_store(p, v); }
    static Vec Set1(double x) { return wasm_f64x2_splat(x); }
    static Vec Add(Vec a, Vec b) { return wasm_f64x2_add(a, b); }
    static Vec Sub(Vec a, Vec b) { return wasm_f64x2_sub(a, b); }
    static Vec Mul(Vec a, Vec b) { return wasm_f64x2_mul(a, b); }

    static Ints LoadInts(const std::int64_t* p) { return wasm_v128_load(p); }
    static void StoreInts(std::int64_t* p, Ints v) { wasm_v128_store(p, v); }
    static Ints Set1Ints(std::int64_t x) { return wasm_i64x2_splat(x); }
    static Ints AddInts(Ints a, Ints b) { return wasm_i64x2_add(a, b); }
    static Ints AndInts(Ints a, Ints b) { return wasm_v128_and(a, b); }
    static Ints OrInts(Ints a, Ints b) { return wasm_v128_or(a, b); }
    static Ints SubInts(Ints a, Ints b) { return wasm_i64x2_sub(a, b); }
    static Ints ShiftLeftInts(Ints v, int bits) { return wasm_i64x2_shl(v, bits); }
    static Ints ShiftRightInts(Ints v, int bits) { return wasm_u64x2_shr(v, bits); }
    static Vec Div(Vec a, Vec b) { return wasm_f64x2_div(a, b); }
    static Vec Floor(Vec v) { return wasm_f64x2_floor(v); }
    static Vec AsVec(Ints v) { return v; }
    static Ints AsInts(Vec v) { return v; }
    static Ints Sequence(std::int64_t first) {
        return wasm_i64x2_add(wasm_i64x2_splat(first), wasm_i64x2_make(0, 1));
    }
    static unsigned SignBits(Ints v) { return wasm_i64x2_bitmask(v); }
    static unsigned AboveBits(Ints v, Ints x) { return SignBits(wasm_i64x2_gt(v, x)); }

    static Ints LaneMask(unsigned bits) {
        return wasm_i64x2_make((bits & 1u) != 0 ? -1 : 0, (bits & 2u) != 0 ? -1 : 0);
    }
    static Mask Lanes(unsigned bits) {
        return wasm_v128_and(LaneMask(bits), wasm_i64x2_splat(kPassUnit));
    }
    // The lanes whose tag is not negative, that is, that hold a point.
    static Mask LanesWithPoints(Ints tags) {
        return wasm_v128_andnot(wasm_i64x2_splat(kPassUnit), wasm_i64x2_shr(tags, 63));
    }
    static unsigned Bits(Mask m) { return SignBits(wasm_i64x2_shl(m, 8)); }
    static Mask KeepBelow(Mask a, Vec s, Vec bound) {
        return wasm_v128_and(a, wasm_f64x2_lt(s, bound));
    }
    static Ints CountPass(Ints tags, Mask a) { return wasm_i64x2_add(tags, a); }
    static unsigned EqualBits(Vec x, Vec px, Vec y, Vec py) {
        return SignBits(wasm_v128_and(wasm_f64x2_eq(x, px), wasm_f64x2_eq(y, py)));
    }

    static Order ExpandOrder(unsigned lanes) { return lanes == 2u ? LaneMask(3) : LaneMask(0); }
    static Vec ExpandFrom(Vec v, unsigned lanes, Order order, const double* from) {
        Vec loaded = wasm_v128_load(from);
        return Select(LaneMask(lanes), v, Select(order, loaded, LowTwice(loaded)));
    }
    static Ints ExpandIntsFrom(Ints v, unsigned lanes, Order order, const std::int64_t* from) {
        Ints loaded = wasm_v128_load(from);
        return BlendInts(lanes, v, Select(order, loaded, LowTwice(loaded)));
    }
    static void CompressTo(double* to, unsigned lanes, Vec v) {
        wasm_v128_store(to, Select(ExpandOrder(lanes), v, HighTwice(v)));
    }
    static void CompressIntsTo(std::int64_t* to, unsigned lanes, Ints v) {
        wasm_v128_store(to, Select(ExpandOrder(lanes), v, HighTwice(v)));
    }
    static Vec ClearLanes(Vec v, unsigned lanes) { return wasm_v128_andnot(v, LaneMask(lanes)); }
    static Ints BlendInts(unsigned lanes, Ints a, Ints b) { return Select(LaneMask(lanes), a, b); }

    // InsideIndex for magnitudes >= 0 or NaN: the saturating conversion gives
    // the largest int for out-of-range values, where InsideIndex gives 0.
    static Ints InsideField(Vec magnitude) {
        Vec scaled = wasm_f64x2_mul(magnitude, Set1(kInsideScale));
        Ints valid = wasm_v128_and(wasm_f64x2_ge(scaled, Set1(0.0)),
                                   wasm_f64x2_lt(scaled, Set1(2147483648.0)));
        Ints whole = wasm_u64x2_extend_low_u32x4(wasm_i32x4_trunc_sat_f64x2_zero(scaled));
        Ints index = wasm_v128_and(wasm_v128_and(whole, Set1Ints(kPaletteSize - 1)), valid);
        return wasm_i64x2_shl(index, kIndexShift);
    }

   private:
    // b where choose is all ones, else a.
    static v128_t Select(v128_t choose, v128_t a, v128_t b) {
        return wasm_v128_bitselect(b, a, choose);
    }
    static v128_t LowTwice(v128_t v) { return wasm_i64x2_shuffle(v, v, 0, 0); }
    static v128_t HighTwice(v128_t v) { return wasm_i64x2_shuffle(v, v, 1, 1); }
};

KERNEL_END

#endif
