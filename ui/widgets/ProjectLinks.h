#pragma once
// The project's addresses, shown by the Help menu, the loading window and the
// database error message. One place, so a move of the project changes one file.

namespace quaverly::ui::links {

inline constexpr const char* kWebsite = "https://quaverly.example/";
inline constexpr const char* kDonationPage = "https://quaverly.example/donate";
inline constexpr const char* kIssuePage = "https://quaverly.example/issues";

} // namespace quaverly::ui::links
