#pragma once

#include <QStringView>

#include <array>

// The site buttons of the resource window's pages 0 to 4: one constant table, nothing in it
// comes from a file, a setting or the network.
namespace xingfan::ui {

struct SiteEntry {
    QStringView name;         // the button's object name
    QStringView caption;
    int page;                 // tab page index, 0 to 4
    int left;                 // left edge relative to the tab control
    QStringView destination;  // used exactly as it stands, with or without "/" after the host
};

inline constexpr int kSiteButtonTop = 25;
inline constexpr int kSiteButtonHeight = 35;

// The rows are edge to edge; page 1 holds the most buttons and has them one pixel narrower.
constexpr int siteButtonWidth(int page)
{
    return page == 1 ? 64 : 65;
}

// Each page's buttons from left to right.
extern const std::array<SiteEntry, 36> kSiteCatalogue;

}  // namespace xingfan::ui
