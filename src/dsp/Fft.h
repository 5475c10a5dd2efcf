#pragma once

#include <cstdint>

namespace korvane {

// Radix-2 complex FFT on 32-bit float arrays held as separate real and imaginary parts.
//
// Forward (inverse == 0): X[k] = sum x[n] * e^(+2*pi*i*n*k/N), not scaled.
// Inverse (inverse != 0): x[n] = (1/N) * sum X[k] * e^(-2*pi*i*n*k/N).
// Note the positive exponent of the forward direction: every phase in the program relies on it.
//
// NumSamples must be a power of two of at least 2; RealIn, RealOut and ImagOut must not be null;
// ImagIn may be null (read as zeros). A bad length or a missing array is fatal: one line on
// stderr, then exit status 1. The outputs must not overlap the inputs. Allocates nothing, keeps
// no state, safe on any thread.
void fft_float(uint32_t NumSamples, int inverse, const float* RealIn, const float* ImagIn,
               float* RealOut, float* ImagOut);

// fft_float's outputs 0 .. bins-1, bit for bit, for a caller that needs no more: the butterflies
// that lead only to later outputs are skipped, and RealOut and ImagOut hold no defined values
// from bins on. bins from 1 to NumSamples (all, which is fft_float).
void fft_float_leading(uint32_t NumSamples, int inverse, const float* RealIn, const float* ImagIn,
                       float* RealOut, float* ImagOut, uint32_t bins);

// Double-precision transform with the same convention and the same fatal checks. It builds a
// twiddle table per call; callers transforming many arrays of one length use FftPlan directly.
void fft_double(uint32_t NumSamples, int inverse, const double* RealIn, const double* ImagIn,
                double* RealOut, double* ImagOut);

// 1 when n is at least 2 and a power of two, else 0.
int ValidTransformLength(uint32_t n);

// log2 of a power of two (position of the lowest set bit); fatal for n below 2.
uint32_t NumberOfBitsNeeded(uint32_t n);

// index with its lowest `bits` bits in reverse order.
uint32_t BitReversedIndex(uint32_t index, uint32_t bits);

// Fatal when p is null; name is the argument name shown in the message.
void RequireArray(const void* p, const char* name);

} // namespace korvane
