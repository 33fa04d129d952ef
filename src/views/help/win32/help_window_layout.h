// Where the help window's controls sit, in pixels at 96 dpi. The ids are stable: the test bed
// finds the controls by them.
#pragma once

namespace quillon::win32view {

enum HelpControlId : int {
    kHelpClose = 301, // Button1
    kHelpLink = 302,  // LinkLabel1
    kHelpText = 303,  // Memo1
};

constexpr int kHelpClientWidth = 626;
constexpr int kHelpClientHeight = 443;

struct HelpPlacement {
    HelpControlId id;
    int x, y, w, h;
};

// In tab order: the button first, so it has the focus when the window opens.
constexpr HelpPlacement kHelpLayout[] = {
    {kHelpClose, 272, 414, 75, 25},
    {kHelpLink, 24, 418, 122, 17},
    {kHelpText, 0, 0, 626, 408}, // follows the window's width, keeps its height
};

} // namespace quillon::win32view
