#include "bench/Measure.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <limits>
#include <sys/resource.h>

namespace pelmora::bench {

namespace {

double ThreadCpuMs()
{
    timespec now {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

} // namespace

double WallMs(const std::function<void()>& work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

double CpuMs(const std::function<void()>& work)
{
    const double start = ThreadCpuMs();
    work();
    return ThreadCpuMs() - start;
}

double BestMeanMs(const std::function<void()>& work, int calls, int batches)
{
    double best = std::numeric_limits<double>::infinity();
    for (int batch = 0; batch < batches; ++batch)
        best = std::min(best, WallMs([&] {
            for (int call = 0; call < calls; ++call)
                work();
        }) / calls);
    return best;
}

double PeakMiB()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

Figures Summarise(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    Figures f;
    f.median = values[values.size() / 2];
    for (double v : values)
        f.mean += v;
    f.mean /= static_cast<double>(values.size());
    f.worst = values.back();
    return f;
}

} // namespace pelmora::bench
