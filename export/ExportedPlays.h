#pragma once
#include "export/PlayCollector.h"

#include <QByteArray>
#include <QString>

namespace quaverly::exporting {

/// What earlier exports of plays covered, kept on the iPod beside the
/// preferences so that it travels with the device: the database the Play
/// Counts entries belonged to (a fingerprint of its bytes) and each track's
/// play count and last-played time at that export. After a sync the
/// database changes, the fingerprint no longer matches, and every play of
/// the new Play Counts file counts as new.
///
/// The file is text: a comment line, "version 1", "database <hex>", then
/// "<track index> <play count> <last played>" per track with plays.
struct ExportedPlays
{
    QByteArray databaseFingerprint; // hex; empty when nothing was exported yet
    ExportedCounts tracks;

    /// The counts to compare with when the iPod still holds the database
    /// with this fingerprint; null otherwise.
    [[nodiscard]] const ExportedCounts* countsFor(const QByteArray& fingerprint) const
    {
        return !fingerprint.isEmpty() && fingerprint == databaseFingerprint ? &tracks : nullptr;
    }
};

/// The state file's place on the iPod ("iPod_Control/iTunes/QuaverlyExportedPlays",
/// matched whatever its letter case); empty for an empty root.
[[nodiscard]] QString exportedPlaysPath(const QString& iPodRoot);

/// Reads the state file. A missing, foreign or damaged file reads as empty
/// (nothing exported yet), which at worst writes plays a second time.
[[nodiscard]] ExportedPlays loadExportedPlays(const QString& path);

/// Replaces the state file atomically (a temporary file renamed over it), so
/// a pulled iPod leaves either the old state or the new one. Answers an
/// empty text on success, else why it failed.
[[nodiscard]] QString saveExportedPlays(const QString& path, const ExportedPlays& state);

/// A fingerprint of the database file's bytes (SHA-1, hex); empty when the
/// file cannot be read.
[[nodiscard]] QByteArray databaseFingerprint(const QString& databaseFile);

} // namespace quaverly::exporting
