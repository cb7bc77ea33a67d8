#pragma once

// Sine, cosine, decimal logarithm and powers of ten computed with +, -, *, / and frexp/ldexp
// only (each rounded as IEEE 754 prescribes), so that the codec's tables and per-frame values
// are the same bits on every platform: the C libraries' own functions differ in their last
// bits between libraries, and between CPUs with and without fused multiply-add, and a
// difference of one bit in a filter coefficient changes decoded samples and coded frames.
// Accurate to a few units in the last place of a double.
namespace vx {

// x in radians, |x| below 1e5.
double PortableSin(double x);
double PortableCos(double x);
// log10(x) for a finite x > 0.
double PortableLog10(double x);
// 10 to the power y, |y| below 300.
double PortablePow10(double y);

}  // namespace vx
