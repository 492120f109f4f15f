#pragma once
#include "MountTable.h"

#include <QString>
#include <QStringList>

namespace deveject {

enum class Outcome {
    Ejected,       // unmounted and powered off (or no tool to power it off)
    NotPoweredOff, // unmounted, so safe to unplug, but the power-off failed
    Failed,        // still mounted
};

struct EjectReport
{
    Outcome outcome = Outcome::Failed;
    QString message; // why it failed, for the user
};

/// Unmounts and powers off one mounted device through udisks2 (udisksctl),
/// or through umount and eject when udisks2 is not there. A volume that is
/// busy is tried again until `busyTimeoutMs` have passed: the processes that
/// started the eject may still be ending.
class Ejector
{
public:
    explicit Ejector(int busyTimeoutMs = 10000);

    [[nodiscard]] EjectReport eject(const Mount& mount);

private:
    struct Run
    {
        bool started = false;
        int exitCode = -1;
        QString output; // stdout and stderr
    };
    [[nodiscard]] static Run run(const QString& program, const QStringList& arguments);
    [[nodiscard]] Run runWhileBusy(const QString& program, const QStringList& arguments) const;
    [[nodiscard]] EjectReport viaUdisks(const QString& udisksctl, const Mount& mount, bool& unavailable) const;
    [[nodiscard]] EjectReport viaUmount(const Mount& mount) const;

    int m_busyTimeoutMs;
};

} // namespace deveject
