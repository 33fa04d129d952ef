// Where the differences window's controls sit, in pixels at 96 dpi. The ids are stable: the test
// bed finds the controls by them.
#pragma once

namespace quillon::win32view {

enum DriftControlId : int {
    kDriftText = 401,  // Memo1, read only
    kDriftApply = 402, // Button_Apply
    kDriftClose = 403, // Button_Close
};

constexpr int kDriftClientWidth = 600;
constexpr int kDriftClientHeight = 360;
// The buttons keep this distance from the right and bottom edges as the window is resized; the
// text takes the rest.
constexpr int kDriftMargin = 8;
constexpr int kDriftButtonHeight = 25;
constexpr int kDriftApplyWidth = 90;
constexpr int kDriftCloseWidth = 75;

} // namespace quillon::win32view
