#pragma once
// Keys of the preferences file and their defaults. The file lives on the
// iPod and is read by every copy of the program, so keys and value texts
// never change.

namespace quaverly::settings::keys {

inline constexpr const char* kSection = "Options";

inline constexpr const char* kRepeat = "Repeat";               // "0" / "1"
inline constexpr const char* kShuffle = "Shuffle";             // "0" / "1"
inline constexpr const char* kRepeatType = "RepeatType";       // "All" / "One"
inline constexpr const char* kSpectrumColor = "SpectrumColor"; // decimal colour value
inline constexpr const char* kColumnPrefix = "Column:";        // "Column:" + header + " size"
inline constexpr const char* kColumnSuffix = " size";
inline constexpr const char* kSort = "Sort";
inline constexpr const char* kSongPopup = "SongPopup";
inline constexpr const char* kPlayerCount = "PlayerCount";
inline constexpr const char* kPlayerPrefix = "PlayerPlayer"; // + n, from 1
inline constexpr const char* kPlayerDefault = "PlayerDefaultPlayer";
inline constexpr const char* kExtractTemplate = "txtformat";
inline constexpr const char* kExtractDir = "ExtractDIR";
inline constexpr const char* kExtractTags = "ExtractTags";             // "True" / "False"
inline constexpr const char* kExtractCovers = "ExtractCovers";         // "True" / "False"
inline constexpr const char* kExportPlaysDir = "ExportPlaysDIR";       // folder of the last plays export
inline constexpr const char* kExportPlaysFormat = "ExportPlaysFormat"; // "audioscrobbler" / "listenbrainz"
// The player's own volume, "0".."100", used where the system has no mixer
// with a master output (Quaverly's addition; older copies ignore it).
inline constexpr const char* kVolume = "Volume";
// Menu items whose check marks are stored under their own names.
inline constexpr const char* kDefaultOpen = "mnuDefaultOpen";
inline constexpr const char* kEmbedded = "mnuEmbedded";
inline constexpr const char* kMinToTray = "mnuMinToTray";
inline constexpr const char* kMinToTrayNO = "mnuMinToTrayNO";
inline constexpr const char* kEjectOnClose = "mnuEjectOnClose";
inline constexpr const char* kBrowseGenre = "mnuBrowseGenre";

namespace defaults {
inline constexpr const char* kRepeat = "0";
inline constexpr const char* kShuffle = "0";
inline constexpr const char* kRepeatType = "All";
inline constexpr const char* kSpectrumColor = "16711680"; // FF0000 hexadecimal
inline constexpr const char* kColumnWidth = "--";         // keep the automatic width
inline constexpr const char* kMenuFlag = "0";
inline constexpr const char* kSort = "True";
inline constexpr const char* kSongPopup = "False";
inline constexpr const char* kPlayerCount = "0";
inline constexpr const char* kVolume = "100";
inline constexpr const char* kExtractTemplate = "[genre]\\[artist]\\[album]\\[track number] - [title]";
inline constexpr const char* kExtractTags = "False";
inline constexpr const char* kExtractCovers = "False";
} // namespace defaults

} // namespace quaverly::settings::keys
