#pragma once
#include "settings/Preferences.h"

#include <QLoggingCategory>
#include <QString>
#include <QStringList>

Q_DECLARE_LOGGING_CATEGORY(lcExport)

namespace quaverly::exporting {

/// The template used when the user has not chosen one: a folder per genre,
/// artist and album, then the track number and the title.
inline constexpr QStringView kDefaultTemplate = settings::prefs::kExtractTemplate.defaultValue;

/// Most file systems refuse a file or folder name longer than this many UTF-8 bytes.
inline constexpr int kMaxNameBytes = 255;

/// The relative file name, without extension, of a song extracted with
/// `nameTemplate`. Components are joined with '\'; in the template both '\'
/// and '/' start a new folder level. Tokens ([genre], [artist], [album],
/// [title], [track number]) match in any letter case; other bracketed words
/// lose their brackets.
///
/// Every letter, combining mark and decimal digit of every script is kept,
/// as are spaces and '-'; everything else (punctuation, slashes, dots ...)
/// is dropped. A field empty after that takes its default ("Unknown Genre",
/// "Unknown Artist", "Unknown Album", "00"; the title stays empty). A field
/// holding the exact text "PATHSEPERATOR" adds a folder level there.
/// Each component is trimmed of spaces and trailing dots; a component left
/// empty becomes "Unknown <Field>" after its first token (or is dropped when
/// the template gave it no token). Never empty. Lengths are not limited here
/// (see fitName).
[[nodiscard]] QString MakeFileName(const QString& nameTemplate, const QString& title, const QString& artist,
                                   const QString& album, const QString& genre, const QString& trackNumber);

/// The extension of a song's file, without the dot: the text after the last
/// '.' of the path's last component, letters and digits only; "dat" when
/// there is none.
[[nodiscard]] QString GetFormat(const QString& path);

/// The track number as it appears in names: decimal, with a '0' in front of
/// a single character (0 -> "00", 7 -> "07", 123 -> "123").
[[nodiscard]] QString trackNumberText(qint32 trackNumber);

/// Keeps the characters MakeFileName keeps (letters, marks, digits, '-',
/// spaces; other Unicode spaces become ' ').
[[nodiscard]] QString filterNameCharacters(const QString& text);

/// `name` cut at a character boundary to at most `maxBytes` UTF-8 bytes,
/// then trimmed of trailing spaces and dots.
[[nodiscard]] QString fitName(const QString& name, int maxBytes = kMaxNameBytes);

/// Splits MakeFileName's result into components and cuts each to
/// kMaxNameBytes, leaving room in the last one for `suffix` (such as " (2)")
/// and ".extension". Answers '/'-separated "Rock/Band/LP/07 - Song (2).mp3".
[[nodiscard]] QString destinationName(const QString& fileName, const QString& extension, const QString& suffix = {});

} // namespace quaverly::exporting
