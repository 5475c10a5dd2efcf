#include "analysis/CorrelationRuns.h"

#include "analysis/StaleResults.h"

#include "dsp/CCrossCorrelation.h"
#include "dsp/KorvaneError.h"
#include "dsp/ThreadPool.h"
#include "sounding/CKorvaneDoc.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <deque>
#include <functional>
#include <limits>
#include <new>
#include <string>
#include <utility>
#include <vector>

namespace korvane {

namespace {

constexpr const char* kNoSounding = "No sounding is loaded.";
constexpr const char* kSoundingChanged = "The sounding changed while the run was active.";
constexpr const char* kOutOfMemory = "Out of memory.";
constexpr std::size_t kSpareTableValues = 50;

enum class Waves { Raw, Filtered };

CommandResult Outcome(CommandOutcome outcome, std::string message = {}) {
    CommandResult result;
    result.outcome = outcome;
    result.message = std::move(message);
    return result;
}

// Throws unless record k has the wave a run reads and, for the windowed runs, a window inside
// that wave.
void CheckRecord(const CKorvaneDoc& doc, int k, Waves waves, bool windowed) {
    const auto index = static_cast<std::size_t>(k);
    const auto& table = waves == Waves::Raw ? doc.rawWaves : doc.filteredWaves;
    if (table.size() <= index || table[index].size() != doc.samplesPerRecord)
        throw KorvaneError("The sounding is incomplete: record " + std::to_string(k + 1) +
                           " has no wave.");
    if (!windowed)
        return;
    if (doc.windows.size() <= index || doc.depths.size() <= index)
        throw KorvaneError("The sounding is incomplete: record " + std::to_string(k + 1) +
                           " has no window.");
    const SampleWindow& w = doc.windows[index];
    if (w.first < 0 || w.last < w.first || static_cast<uint32_t>(w.last) >= doc.samplesPerRecord)
        throw KorvaneError("The analysis window of record " + std::to_string(k + 1) +
                           " is out of range (" + std::to_string(w.first) + " to " +
                           std::to_string(w.last) + ").");
}

// The whole check before a run starts; nothing is touched when it throws.
void CheckSounding(const CKorvaneDoc& doc, Waves waves, bool windowed) {
    if (doc.recordCount < 1)
        throw KorvaneError(kNoSounding);
    if (doc.samplesPerRecord > static_cast<uint32_t>(INT_MAX))
        throw KorvaneError("The records are too long to correlate.");
    for (int k = 0; k < doc.recordCount; ++k)
        CheckRecord(doc, k, waves, windowed);
}

// A front end may dispatch commands at a checkpoint; a run must notice when they replaced the
// records it is reading.
void CheckStillTheSame(const CKorvaneDoc& doc, int recordCount) {
    if (doc.dataLoaded == 0 || doc.recordCount != recordCount)
        throw KorvaneError(kSoundingChanged);
}

std::vector<float> CopyWindow(const std::vector<float>& wave, const SampleWindow& w) {
    return {wave.begin() + w.first, wave.begin() + w.last + 1};
}

// Runs count jobs, on a pool when there is more than one thread, and hands their results to
// commit in index order on this thread. prepare(i) runs on this thread and returns a job that
// owns its inputs, so workers never touch the document. commit returns false to stop: no later
// result is committed, exactly as if one thread had stopped there. Returns false when stopped.
template <class Result>
bool RunInOrder(int count, unsigned threads,
                const std::function<std::function<Result()>(int)>& prepare,
                const std::function<bool(int, Result&&)>& commit) {
    if (threads <= 1 || count <= 1) {
        for (int i = 0; i < count; ++i) {
            if (!commit(i, prepare(i)()))
                return false;
        }
        return true;
    }
    ThreadPool pool(std::min(threads, static_cast<unsigned>(count)));
    // A short look-ahead bounds the work thrown away after a cancel.
    const int ahead = 2 * static_cast<int>(pool.Size());
    std::deque<std::future<Result>> pending;
    int next = 0;
    for (int i = 0; i < count; ++i) {
        for (; next < count && next <= i + ahead; ++next)
            pending.push_back(pool.Submit(prepare(next)));
        Result result = pending.front().get();
        pending.pop_front();
        if (!commit(i, std::move(result)))
            return false;
    }
    return true;
}

unsigned ThreadsFor(unsigned requested) {
    return requested == 0 ? ThreadPool::HardwareThreads() : requested;
}

// m/s over the slant paths from the hammer to the geophone at depths z0 and z1 (metres), for a
// delay of lag samples. A zero lag gives the IEEE quotient: an infinity, or NaN for equal paths.
double SlantVelocity(double z0, double z1, double h, int32_t lag) {
    const double path = std::sqrt(z1 * z1 + h * h) - std::sqrt(z0 * z0 + h * h);
    if (lag == 0) {
        if (path > 0)
            return std::numeric_limits<double>::infinity();
        if (path < 0)
            return -std::numeric_limits<double>::infinity();
        return std::numeric_limits<double>::quiet_NaN();
    }
    return path / (lag * kSampleInterval);
}

struct IntervalResult {
    IntervalBasis basis;
    int32_t lag = 0;
    double coefficient = 0.0;
    float velocity = 0.0f;
    std::vector<float> curve;
};

struct Autocorrelation {
    std::vector<float> curve;
};

Autocorrelation Autocorrelate(const std::vector<float>& wave, CorrelationMethod method) {
    Autocorrelation result;
    result.curve.resize(wave.size());
    int lag = 0;
    const int length = static_cast<int>(wave.size());
    CCrossCorrelation correlation(wave.data(), length, wave.data(), length, &lag,
                                  result.curve.data(), method);
    return result;
}

// Guards a run's body: errors become a Failed outcome with their text.
template <class Body> CommandResult Guarded(Body body) {
    try {
        return body();
    } catch (const KorvaneError& e) {
        return Outcome(CommandOutcome::Failed, e.what());
    } catch (const std::bad_alloc&) {
        return Outcome(CommandOutcome::Failed, kOutOfMemory);
    } catch (const std::exception& e) {
        return Outcome(CommandOutcome::Failed, e.what());
    }
}

} // namespace

CommandResult RunCrossCorrelation(CKorvaneDoc& doc, ProgressReporter& progress,
                                  unsigned threadCount) {
    return RunCrossCorrelation(doc, progress, threadCount, CorrelationMethod::Fast);
}

CommandResult RunCrossCorrelation(CKorvaneDoc& doc, ProgressReporter& progress,
                                  unsigned threadCount, CorrelationMethod method) {
    if (doc.dataLoaded == 0)
        return Outcome(CommandOutcome::Failed, kNoSounding);
    return Guarded([&] {
        CheckSounding(doc, Waves::Filtered, true);
        const int n = doc.recordCount;
        const auto intervals = static_cast<std::size_t>(n - 1);

        // Intervals a cancel leaves behind keep complete earlier results; without any they read
        // as missing (coefficient 0, velocity NaN, no curve).
        const bool keep = doc.resultsValid != 0 &&
                          doc.correlationCoefficients.size() == intervals &&
                          doc.ccVelocities.size() == intervals;
        std::vector<double> coefficients =
            keep ? doc.correlationCoefficients : std::vector<double>(intervals, 0.0);
        std::vector<float> velocities =
            keep ? doc.ccVelocities
                 : std::vector<float>(intervals, std::numeric_limits<float>::quiet_NaN());
        std::vector<int32_t> lags =
            keep && doc.lags.size() == intervals ? doc.lags : std::vector<int32_t>(intervals, 0);
        std::vector<std::vector<float>> functions =
            keep && doc.correlationFunctions.size() == intervals
                ? doc.correlationFunctions
                : std::vector<std::vector<float>>(intervals);
        std::vector<IntervalBasis> bases = keep && doc.resultBases.size() == intervals
                                               ? doc.resultBases
                                               : std::vector<IntervalBasis>(intervals);

        progress.SetRange(0, n + 1);
        progress.SetStatusText("Doing cross correlation ...\n");
        if (progress.Checkpoint())
            return Outcome(CommandOutcome::Cancelled, kProgressCancelled);

        const std::function<std::function<IntervalResult()>(int)> prepare = [&](int i) {
            CheckStillTheSame(doc, n);
            CheckRecord(doc, i, Waves::Filtered, true);
            CheckRecord(doc, i + 1, Waves::Filtered, true);
            const SampleWindow w0 = doc.windows[i];
            const SampleWindow w1 = doc.windows[i + 1];
            return std::function<IntervalResult()>(
                [basis = StaleResults::BasisOf(doc, static_cast<std::size_t>(i)),
                 a = CopyWindow(doc.filteredWaves[i], w0),
                 b = CopyWindow(doc.filteredWaves[i + 1], w1),
                 shift = static_cast<int64_t>(w1.first) - w0.first,
                 z0 = static_cast<double>(doc.depths[i]),
                 z1 = static_cast<double>(doc.depths[i + 1]),
                 h = static_cast<double>(doc.hammerToRod), method] {
                    IntervalResult r;
                    r.basis = basis;
                    r.curve.resize(std::max(a.size(), b.size()));
                    int lag = 0;
                    const CCrossCorrelation correlation(a.data(), static_cast<int>(a.size()),
                                                        b.data(), static_cast<int>(b.size()), &lag,
                                                        r.curve.data(), method);
                    r.coefficient = correlation.GetPeakCoefficient();
                    if (r.coefficient > 0.0) {
                        // The window-relative lag becomes a delay between the whole records.
                        r.lag = static_cast<int32_t>(lag + shift);
                        r.velocity = static_cast<float>(SlantVelocity(z0, z1, h, r.lag));
                    } else {
                        // No shift correlates positively: the interval has no result.
                        r.lag = 0;
                        r.coefficient = 0.0;
                        r.velocity = std::numeric_limits<float>::quiet_NaN();
                    }
                    return r;
                });
        };
        const std::function<bool(int, IntervalResult&&)> commit = [&](int i, IntervalResult&& r) {
            const auto m = static_cast<std::size_t>(i);
            lags[m] = r.lag;
            coefficients[m] = r.coefficient;
            velocities[m] = r.velocity;
            functions[m] = std::move(r.curve);
            bases[m] = r.basis;
            return !progress.Checkpoint();
        };
        const bool completed =
            RunInOrder<IntervalResult>(n - 1, ThreadsFor(threadCount), prepare, commit);

        CheckStillTheSame(doc, n);
        doc.correlationCoefficients = std::move(coefficients);
        doc.ccVelocities = std::move(velocities);
        doc.lags = std::move(lags);
        doc.correlationFunctions = std::move(functions);
        doc.resultBases = std::move(bases);
        if (!completed) {
            doc.NotifyChanged();
            return Outcome(CommandOutcome::Cancelled, kProgressCancelled);
        }
        doc.displayMode = CrossCorrelationVelocity;
        doc.resultsValid = 1;
        const bool cancelledAtEnd = progress.Checkpoint();
        if (!cancelledAtEnd)
            doc.SetModifiedFlag(true);
        doc.NotifyChanged();
        return cancelledAtEnd ? Outcome(CommandOutcome::Cancelled, kProgressCancelled)
                              : Outcome(CommandOutcome::Completed);
    });
}

namespace {

// The shared loop of the two autocorrelation runs. Entries of records a cancel never reached
// stay empty, so nothing stale is drawn.
CommandResult RunAutocorrelation(CKorvaneDoc& doc, ProgressReporter& progress, unsigned threadCount,
                                 CorrelationMethod method, Waves waves) {
    if (doc.dataLoaded == 0)
        return Outcome(CommandOutcome::Failed, kNoSounding);
    const bool windowed = waves == Waves::Filtered;
    return Guarded([&] {
        CheckSounding(doc, waves, windowed);
        const int n = doc.recordCount;
        const auto records = static_cast<std::size_t>(n);
        std::vector<std::vector<float>> curves(records);
        std::vector<std::vector<float>> spare(windowed ? 0 : records);

        // One step before the loop, one per record, one after it.
        progress.SetRange(0, n + 2);
        progress.SetStatusText(windowed ? "Doing autocorrelation for filtered waves...\n"
                                        : "Doing autocorrelation for original waves...\n");
        if (progress.Checkpoint())
            return Outcome(CommandOutcome::Cancelled, kProgressCancelled);

        const std::function<std::function<Autocorrelation()>(int)> prepare = [&](int k) {
            CheckStillTheSame(doc, n);
            CheckRecord(doc, k, waves, windowed);
            std::vector<float> wave =
                windowed ? CopyWindow(doc.filteredWaves[k], doc.windows[k]) : doc.rawWaves[k];
            return std::function<Autocorrelation()>(
                [wave = std::move(wave), method] { return Autocorrelate(wave, method); });
        };
        const std::function<bool(int, Autocorrelation&&)> commit = [&](int k, Autocorrelation&& r) {
            const auto index = static_cast<std::size_t>(k);
            if (!windowed) {
                const std::size_t head = std::min(kSpareTableValues, r.curve.size());
                spare[index].assign(r.curve.begin(), r.curve.begin() + head);
            }
            curves[index] = std::move(r.curve);
            return !progress.Checkpoint();
        };
        const bool completed =
            RunInOrder<Autocorrelation>(n, ThreadsFor(threadCount), prepare, commit);

        CheckStillTheSame(doc, n);
        if (windowed) {
            doc.filteredAutocorrelations = std::move(curves);
        } else {
            doc.rawAutocorrelations = std::move(curves);
            doc.spareTable = std::move(spare);
        }
        if (!completed) {
            doc.NotifyChanged();
            return Outcome(CommandOutcome::Cancelled, kProgressCancelled);
        }
        doc.displayMode = windowed ? FilteredAutocorrelations : RawAutocorrelations;
        const bool cancelledAtEnd = progress.Checkpoint();
        if (!cancelledAtEnd)
            doc.SetModifiedFlag(true);
        doc.NotifyChanged();
        return cancelledAtEnd ? Outcome(CommandOutcome::Cancelled, kProgressCancelled)
                              : Outcome(CommandOutcome::Completed);
    });
}

} // namespace

CommandResult RunRawAutocorrelation(CKorvaneDoc& doc, ProgressReporter& progress,
                                    unsigned threadCount) {
    return RunAutocorrelation(doc, progress, threadCount, CorrelationMethod::Fast, Waves::Raw);
}

CommandResult RunRawAutocorrelation(CKorvaneDoc& doc, ProgressReporter& progress,
                                    unsigned threadCount, CorrelationMethod method) {
    return RunAutocorrelation(doc, progress, threadCount, method, Waves::Raw);
}

CommandResult RunFilteredAutocorrelation(CKorvaneDoc& doc, ProgressReporter& progress,
                                         unsigned threadCount) {
    return RunAutocorrelation(doc, progress, threadCount, CorrelationMethod::Fast, Waves::Filtered);
}

CommandResult RunFilteredAutocorrelation(CKorvaneDoc& doc, ProgressReporter& progress,
                                         unsigned threadCount, CorrelationMethod method) {
    return RunAutocorrelation(doc, progress, threadCount, method, Waves::Filtered);
}

} // namespace korvane
