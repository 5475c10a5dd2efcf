#include "dsp/CCrossCorrelation.h"
#include "dsp/CSpectralFilter.h"
#include "dsp/Fft.h"

#include "BenchSounding.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <numbers>
#include <random>
#include <vector>

namespace {

using namespace korvane;
using namespace korvane::bench;

void BM_FftFloat(benchmark::State& state) {
    const uint32_t n = 8192;
    const std::vector<float> in = Burst(n, 500, 1);
    std::vector<float> re(n), im(n);
    for (auto _ : state) {
        fft_float(n, 0, in.data(), nullptr, re.data(), im.data());
        benchmark::DoNotOptimize(re.data());
    }
}
BENCHMARK(BM_FftFloat);

void BM_SpectralFilter(benchmark::State& state) {
    const uint32_t n = 8192;
    const std::vector<float> in = Burst(n, 500, 2), zeros(n, 0.0f);
    std::vector<float> out(n), imag(n);
    for (auto _ : state) {
        const CSpectralFilter filter(in.data(), zeros.data(), out.data(), imag.data(), n);
        benchmark::DoNotOptimize(filter.GetRealBin(20));
    }
}
BENCHMARK(BM_SpectralFilter);

void BM_SweepDirect(benchmark::State& state) {
    const int L = static_cast<int>(state.range(0));
    const std::vector<float> x = Burst(L, L / 8, 3), y = Burst(L, L / 8 + 40, 4);
    std::vector<float> out(static_cast<std::size_t>(L));
    int lag = 0;
    CCrossCorrelation cc(nullptr, 0, nullptr, 0, &lag, out.data());
    for (auto _ : state) {
        benchmark::DoNotOptimize(cc.SweepLagsDirect(x.data(), y.data(), L, out.data()));
    }
}
BENCHMARK(BM_SweepDirect)->Arg(512)->Arg(2048)->Arg(8192)->Unit(benchmark::kMicrosecond);

void BM_SweepFast(benchmark::State& state) {
    const int L = static_cast<int>(state.range(0));
    const std::vector<float> x = Burst(L, L / 8, 3), y = Burst(L, L / 8 + 40, 4);
    std::vector<float> out(static_cast<std::size_t>(L));
    int lag = 0;
    CCrossCorrelation cc(nullptr, 0, nullptr, 0, &lag, out.data());
    for (auto _ : state) {
        benchmark::DoNotOptimize(cc.SweepLagsFast(x.data(), y.data(), L, out.data()));
    }
}
BENCHMARK(BM_SweepFast)->Arg(512)->Arg(2048)->Arg(8192)->Unit(benchmark::kMicrosecond);

// The whole two-direction search on a full record, as the direct sweeps alone would do it.
void BM_CrossCorrelationDirect(benchmark::State& state) {
    const int L = 8192;
    const std::vector<float> a = Burst(L, 1000, 5), b = Burst(L, 1040, 6);
    std::vector<float> curve(L);
    int lag = 0;
    CCrossCorrelation cc(nullptr, 0, nullptr, 0, &lag, curve.data());
    for (auto _ : state) {
        const int k1 = cc.SweepLagsDirect(b.data(), a.data(), L, curve.data());
        const float peak1 = k1 < L ? curve[k1] : -1.0f;
        const int k2 = cc.SweepLagsDirect(a.data(), b.data(), L, curve.data());
        if (!(k2 < L && curve[k2] >= peak1)) {
            cc.SweepLagsDirect(b.data(), a.data(), L, curve.data());
        }
        benchmark::DoNotOptimize(curve.data());
    }
}
BENCHMARK(BM_CrossCorrelationDirect)->Unit(benchmark::kMillisecond);

void BM_CrossCorrelation(benchmark::State& state) {
    const int L = 8192;
    const std::vector<float> a = Burst(L, 1000, 5), b = Burst(L, 1040, 6);
    std::vector<float> curve(L);
    int lag = 0;
    for (auto _ : state) {
        const CCrossCorrelation cc(a.data(), L, b.data(), L, &lag, curve.data());
        benchmark::DoNotOptimize(cc.GetPeakCoefficient());
    }
}
BENCHMARK(BM_CrossCorrelation)->Unit(benchmark::kMillisecond);

} // namespace
