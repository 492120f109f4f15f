#pragma once
#include <QString>
#include <QStringList>

#include <array>

namespace quaverly::devicetools {

/// One diagnostic switch of the iPod firmware: an empty file in
/// iPod_Control/Device whose bare name (no extension) turns it on.
struct FlagFile
{
    const char* checkBox; // the window's check box
    const char* fileName; // the file on the iPod
    const char* caption;  // the text beside the box
};

inline constexpr std::size_t kFlagCount = 4;

/// The four switches in window order.
inline constexpr std::array<FlagFile, kFlagCount> kFlagFiles { {
    { "chkVolt", "_show_voltage", "Voltage Hack - Show voltage meter instead of battery indicator" },
    { "chkSleep", "_short_deepsleep", "Deep Sleep - Go to deep sleep every time when you turn your iPod off." },
    { "chkCache", "_disable_cache",
      "Disable Cache - Your iPod will keep its drive spinning at all times, not utilizing the flash memory cache" },
    { "chkShowSpeed", "_show_speed",
      "Show CPU Speed - For 4G iPods, it shows the changing speed on iPod's processor." },
} };

/// What Apply does with one switch. `Leave` is a box in neither state (a
/// partially checked box): its files are not touched.
enum class FlagState { Off, On, Leave };
using FlagStates = std::array<FlagState, kFlagCount>;

enum class FlagError {
    None,
    NoDeviceFolder,
    CreateFailed,
    RenameFailed,
    DeleteFailed,
    OutsideIpod, // the Device folder or a flag file leads outside the iPod (a link): not touched
};

/// What Apply or Reset could not change. Every switch is tried even after one
/// fails; `failedFiles` names the files (bare or ".txt") that resisted.
struct FlagReport
{
    FlagError firstError = FlagError::None;
    QStringList failedFiles;

    [[nodiscard]] bool ok() const { return firstError == FlagError::None; }
};

/// The index of a switch given by its file name, with or without the leading
/// underscore, or by its check box name (letter case ignored); -1 if none.
[[nodiscard]] int flagIndex(const QString& name);

/// Which switches are on: a file with the bare flag name exists (any letter
/// case). A ".txt" file of that name does not count. A missing folder reads
/// as all off.
[[nodiscard]] std::array<bool, kFlagCount> loadFlags(const QString& iPodRoot);

/// Creates or deletes the flag files. A switch turned on is written as an
/// empty name.txt that is then renamed to the bare name (the way the device
/// expects it to appear); a flag that already exists is left as it is. A
/// switch turned off loses both the ".txt" and the bare file (a link is
/// removed itself, never what it points to). Nothing is written or deleted
/// outside the iPod: a Device folder or ".txt" file that leads out of it
/// through a link fails with OutsideIpod.
[[nodiscard]] FlagReport applyFlags(const QString& iPodRoot, const FlagStates& states);

/// Deletes both files of all four switches.
[[nodiscard]] FlagReport resetFlags(const QString& iPodRoot);

} // namespace quaverly::devicetools
