// Where each control of the hotkey dialog sits: left, top, width, height in pixels at 96 dpi,
// relative to the client area. The control ids are stable: the test bed finds controls by
// them. 确定 and 取消 carry IDOK and IDCANCEL, so that Enter and Esc press them.
#pragma once

namespace quillon::win32view {

enum HotkeyDialogId : int {
    kDialogOk = 1,     // IDOK
    kDialogCancel = 2, // IDCANCEL
    kDialogRadioGroup = 200,
    kDialogRadioItem0 = 201, // item n has id 201 + n
    kDialogCheckLeft = 210,
    kDialogCheckRight = 211,
    kDialogLabel1 = 212,
    kDialogKeys = 213,
};

constexpr int kDialogRadioItems = 8;
constexpr int kDialogClientWidth = 305;
constexpr int kDialogClientHeight = 330;

struct DialogPlacement {
    HotkeyDialogId id;
    int x, y, w, h;
};

constexpr DialogPlacement kDialogRadioGroupPlace = {kDialogRadioGroup, 24, 16, 257, 217};
// The items sit in one column inside the frame, below its caption.
constexpr int kDialogItemLeft = 32;
constexpr int kDialogItemTop = 31;
constexpr int kDialogItemWidth = 240;
constexpr int kDialogItemPitch = 24;

// The side boxes sit on the frame's top line, after its caption; they come before the frame in
// the z-order, so that the frame's line is not drawn across them.
constexpr DialogPlacement kDialogPlaces[] = {
    {kDialogCheckLeft, 88, 16, 39, 17},
    {kDialogCheckRight, 128, 16, 49, 17},
    kDialogRadioGroupPlace,
    {kDialogLabel1, 29, 251, 48, 13},
    {kDialogKeys, 88, 248, 193, 200}, // the height is the dropped list's
    {kDialogOk, 24, 285, 75, 25},
    {kDialogCancel, 206, 285, 75, 25},
};

} // namespace quillon::win32view
