#pragma once

#include <functional>
#include <vector>

namespace pelmora::bench {

// Milliseconds of wall-clock time that one run of `work` takes.
double WallMs(const std::function<void()>& work);
// Milliseconds of processor time this thread spends in one run of `work`.
double CpuMs(const std::function<void()>& work);
// Milliseconds per call of `work`, averaged over `calls` calls; the best of
// `batches` batches, as the one least disturbed by other processes. Short
// batches and many of them find an undisturbed one on a busy machine.
double BestMeanMs(const std::function<void()>& work, int calls, int batches = 5);
// The median, mean and worst of a series of timings.
struct Figures {
    double median = 0, mean = 0, worst = 0;
};
Figures Summarise(std::vector<double> values);
// The most memory this process has held resident so far, in MiB.
double PeakMiB();

} // namespace pelmora::bench
