#pragma once
#include <QString>

#include <chrono>
#include <functional>

namespace quaverly::ui {

/// High-resolution interval timer used to time sorts and start-up steps.
/// Times are milliseconds as double. Until PerfInit has run, the frequency is
/// 0: PerfStart does nothing and PerfElapsed answers 0, and the first such use
/// passes "Please Initialize with PerfInit before calling this Sub" to the
/// notifier once. The measured times are only ever handed to the debug trace.
class modPerfCount
{
public:
    using Notifier = std::function<void(const QString& message)>;

    explicit modPerfCount(Notifier notifier = {});

    void PerfInit();
    void PerfStart();
    void PerfStop();
    [[nodiscard]] double ElapsedMs() const;
    /// ElapsedMs rounded to the precision the calibration found.
    [[nodiscard]] float PerfElapsed();

    [[nodiscard]] double overheadMs() const { return m_overheadMs; }
    [[nodiscard]] double deviationMs() const { return m_deviationMs; }
    [[nodiscard]] bool isInitialised() const { return m_frequency != 0; }

private:
    using Clock = std::chrono::steady_clock;
    void warnUninitialised();

    Notifier m_notifier;
    long long m_frequency = 0; // counts per second; 0 until PerfInit
    Clock::time_point m_start {};
    Clock::time_point m_stop {};
    bool m_running = false;
    bool m_warned = false;
    double m_overheadMs = 0.0;
    double m_deviationMs = 0.0;
};

} // namespace quaverly::ui
