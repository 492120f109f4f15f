#pragma once
// Every preference of the program, declared once: key, type, default and how
// it is written. The file lives on the iPod and is read by every copy of the
// program, older ones included, so keys and value texts never change. Read
// and write them through mdlOptions::get / set; a missing key or a value that
// does not read as its type gives the default below.

#include "settings/Setting.h"

namespace quaverly::settings::prefs {

inline constexpr const char* kSection = "Options";

// Play order. Repeat and Shuffle hold the check boxes' values, "0" / "1".
inline constexpr Setting<bool> kRepeat { "Repeat", false, BoolText::ZeroOne };
inline constexpr Setting<bool> kShuffle { "Shuffle", false, BoolText::ZeroOne };
enum class RepeatType { All, One };
inline constexpr Choice<RepeatType, 2> kRepeatType { "RepeatType", { "All", "One" }, RepeatType::All };

// The spectrum's colour as a decimal colour value (blue in the high byte);
// FF0000 hexadecimal when none is stored.
inline constexpr Setting<int> kSpectrumColor { "SpectrumColor", 0xFF0000, 0, 0xFFFFFF };

// Song-list column widths in pixels, "Column:" + header text + " size", a
// 16-bit decimal. kAutomaticWidth (never written) keeps the automatic width.
inline constexpr int kAutomaticWidth = -1;
inline constexpr Family<Setting<int>> kColumnWidth { "Column:", " size", { nullptr, kAutomaticWidth, 0, 32767 } };

// Menu items whose ticks are stored under their own names, "True" / "False".
// The defaults are the main window's: a first start plays in the program and
// minimises to the tray.
inline constexpr Setting<bool> kDefaultOpen { "mnuDefaultOpen", false };
inline constexpr Setting<bool> kEmbedded { "mnuEmbedded", true };
inline constexpr Setting<bool> kMinToTray { "mnuMinToTray", true };
inline constexpr Setting<bool> kMinToTrayNO { "mnuMinToTrayNO", false };
inline constexpr Setting<bool> kEjectOnClose { "mnuEjectOnClose", false };
inline constexpr Setting<bool> kBrowseGenre { "mnuBrowseGenre", false };
inline constexpr Setting<bool> kSort { "Sort", true };
inline constexpr Setting<bool> kSongPopup { "SongPopup", false };

// External players: "PlayerCount", then "PlayerPlayer1" ... "PlayerPlayer<count>"
// (full paths), and the default one's path (empty: the desktop's own choice).
// A count beyond kMaxPlayers is no count the players window wrote.
inline constexpr int kMaxPlayers = 999;
inline constexpr Setting<int> kPlayerCount { "PlayerCount", 0, 0, kMaxPlayers };
inline constexpr Family<Setting<QString>> kPlayer { "PlayerPlayer", "", { nullptr, u"" } };
inline constexpr Setting<QString> kDefaultPlayer { "PlayerDefaultPlayer", u"" };

// Copying songs off: the file-name template, the folder (empty default: the
// window puts in the user's music folder), and whether tags and covers go along.
inline constexpr Setting<QString> kExtractTemplate { "txtformat",
                                                     u"[genre]\\[artist]\\[album]\\[track number] - [title]" };
inline constexpr Setting<QString> kExtractDir { "ExtractDIR", u"" };
inline constexpr Setting<bool> kExtractTags { "ExtractTags", false };
inline constexpr Setting<bool> kExtractCovers { "ExtractCovers", false };

// Exporting plays: the folder last saved to (empty default: the user's
// documents) and the format last chosen.
inline constexpr Setting<QString> kExportPlaysDir { "ExportPlaysDIR", u"" };
enum class PlaysFormat { Audioscrobbler, ListenBrainz };
inline constexpr Choice<PlaysFormat, 2> kExportPlaysFormat { "ExportPlaysFormat",
                                                             { "audioscrobbler", "listenbrainz" },
                                                             PlaysFormat::Audioscrobbler };

// The player's own volume in percent, used where the system has no mixer with
// a master output (older copies of the program ignore it). A level beyond the
// ends is the nearest end.
inline constexpr Setting<int> kVolume { "Volume", 100, 0, 100, OutOfRange::Clamp };

} // namespace quaverly::settings::prefs
