#include "ui/modPerfCount.h"

#include <cmath>

namespace quaverly::ui {

modPerfCount::modPerfCount(Notifier notifier)
    : m_notifier(std::move(notifier))
{
}

void modPerfCount::PerfInit()
{
    m_frequency = static_cast<long long>(Clock::period::den / Clock::period::num);
    m_overheadMs = 0.0;
    constexpr int kRounds = 1000;
    double sum = 0.0;
    for (int i = 0; i < kRounds; ++i) {
        PerfStart();
        PerfStop();
        sum += ElapsedMs();
    }
    m_overheadMs = sum / kRounds;
    double squares = 0.0;
    for (int i = 0; i < kRounds; ++i) {
        PerfStart();
        PerfStop();
        // ElapsedMs already subtracts the overhead.
        const double a = ElapsedMs();
        const double b = ElapsedMs();
        squares += a * b;
    }
    m_deviationMs = std::sqrt(std::fabs(squares) / kRounds);
}

void modPerfCount::warnUninitialised()
{
    if (m_warned)
        return;
    m_warned = true;
    if (m_notifier)
        m_notifier(QStringLiteral("Please Initialize with PerfInit before calling this Sub"));
}

void modPerfCount::PerfStart()
{
    if (m_frequency == 0) {
        warnUninitialised();
        return;
    }
    if (m_running)
        return;
    m_running = true;
    m_start = Clock::now();
}

void modPerfCount::PerfStop()
{
    m_stop = Clock::now();
    m_running = false;
}

double modPerfCount::ElapsedMs() const
{
    if (m_frequency == 0)
        return 0.0;
    const auto end = m_running ? Clock::now() : m_stop;
    const std::chrono::duration<double, std::milli> elapsed = end - m_start;
    return elapsed.count() - m_overheadMs;
}

float modPerfCount::PerfElapsed()
{
    if (m_frequency == 0) {
        warnUninitialised();
        return 0.0F;
    }
    const double elapsed = ElapsedMs();
    const int e = m_deviationMs > 0.0 ? static_cast<int>(std::log10(m_deviationMs)) : -4;
    double rounded = 0.0;
    if (e >= 1) {
        const double step = std::pow(10.0, e);
        rounded = std::round(elapsed / step) * step;
    } else if (e == 0) {
        rounded = std::round(elapsed);
    } else {
        const double scale = std::pow(10.0, -e);
        rounded = std::round(elapsed * scale) / scale;
    }
    return static_cast<float>(rounded);
}

} // namespace quaverly::ui
