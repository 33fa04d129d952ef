// Where each control of the main window sits: left, top, width, height in pixels at 96 dpi,
// relative to the window's client area (controls inside a group box are given relative to
// the box and placed on the window itself). The control ids are stable: the test bed finds
// controls by them.
#pragma once

namespace quillon::win32view {

enum ControlId : int {
    kGroupBox1 = 100,
    kListView1 = 101,
    kButtonUp = 102,
    kButtonDown = 103,
    kButtonHotkey = 104,
    kButtonDisable = 105,
    kGroupBox2 = 110,
    kListView2 = 111,
    kButtonEnable = 112,
    kButtonDel = 113,
    kSpeedButton1 = 114,
    kGroupBox3 = 120,
    kLabel1 = 121,
    kComboBox1 = 122,
    kLabel2 = 123,
    kComboBox2 = 124,
    kLabel3 = 125,
    kComboBox3 = 126,
    kLabelSW1 = 127,
    kButtonSW1 = 128,
    kLabelSW2 = 129,
    kButtonSW2 = 130,
    kLabelSW3 = 131,
    kButtonSW3 = 132,
    kGroupBox4 = 140,
    kCheckBox1 = 141,
    kCheckBox2 = 142,
    kCheckBox3 = 143,
    kLabel4 = 150,
    kComboBoxLang = 151,
    kButtonOther = 152,
    kButtonRefresh = 153,
    kStatusBar1 = 160,
};

// Menu command ids: PopupMenu1 items are 1001 + index, PopupMenu2 1101 + index, PopupMenu3
// 1201 + index (separators keep their index).
constexpr int kPopupMenu1Base = 1001;
constexpr int kPopupMenu2Base = 1101;
constexpr int kPopupMenu3Base = 1201;

enum class Kind { GroupBox, ListView, Button, SplitButton, FlatButton, Label, Combo, CheckBox };

struct Placement {
    ControlId id;
    Kind kind;
    int group;      // the group box id it sits in, or 0
    int x, y, w, h; // w or h 0: sized to its text
};

// The list columns: the names, the hidden fields (zero wide), and the hotkey.
constexpr const char16_t* kColumns1[] = {u"名称",    u"clsid", u"langid", u"catid",
                                         u"Profile", u"hkl",   u"热键"};
constexpr int kColumnWidths1[] = {180, 0, 0, 0, 0, 0, 165};
constexpr const char16_t* kColumns2[] = {u"名称",  u"clsid",   u"langid",
                                         u"catid", u"Profile", u"hkl"};
constexpr int kColumnWidths2[] = {330, 0, 0, 0, 0, 0};

constexpr int kClientWidth = 522;
constexpr int kClientHeight = 603;
constexpr int kComboDropHeight = 200;

// In creation order, which is the tab order: the window read row by row, each label just
// before the control it names (the name assistive technology gives the control).
constexpr Placement kLayout[] = {
    {kGroupBox1, Kind::GroupBox, 0, 24, 8, 473, 186},
    {kListView1, Kind::ListView, kGroupBox1, 16, 24, 353, 150},
    {kButtonUp, Kind::Button, kGroupBox1, 388, 24, 75, 25},
    {kButtonDown, Kind::Button, kGroupBox1, 388, 55, 75, 25},
    {kButtonHotkey, Kind::Button, kGroupBox1, 388, 118, 75, 25},
    {kButtonDisable, Kind::Button, kGroupBox1, 388, 149, 75, 25},
    {kGroupBox2, Kind::GroupBox, 0, 24, 200, 473, 153},
    {kListView2, Kind::ListView, kGroupBox2, 16, 25, 353, 112},
    {kButtonEnable, Kind::Button, kGroupBox2, 388, 25, 75, 25},
    {kButtonDel, Kind::Button, kGroupBox2, 388, 56, 75, 25},
    {kSpeedButton1, Kind::FlatButton, kGroupBox2, 414, 112, 23, 22},
    {kGroupBox3, Kind::GroupBox, 0, 24, 359, 473, 116},
    {kLabel1, Kind::Label, kGroupBox3, 12, 27, 0, 0},
    {kComboBox1, Kind::Combo, kGroupBox3, 103, 24, 113, 0},
    {kLabelSW1, Kind::Label, kGroupBox3, 237, 27, 0, 0},
    {kButtonSW1, Kind::Button, kGroupBox3, 342, 24, 121, 25},
    {kLabel2, Kind::Label, kGroupBox3, 12, 55, 0, 0},
    {kComboBox2, Kind::Combo, kGroupBox3, 103, 52, 113, 0},
    {kLabelSW2, Kind::Label, kGroupBox3, 249, 55, 0, 0},
    {kButtonSW2, Kind::Button, kGroupBox3, 342, 52, 121, 25},
    {kLabel3, Kind::Label, kGroupBox3, 24, 83, 0, 0},
    {kComboBox3, Kind::Combo, kGroupBox3, 103, 80, 113, 0},
    {kLabelSW3, Kind::Label, kGroupBox3, 242, 83, 0, 0},
    {kButtonSW3, Kind::Button, kGroupBox3, 342, 80, 121, 25},
    {kGroupBox4, Kind::GroupBox, 0, 24, 481, 473, 57},
    {kCheckBox1, Kind::CheckBox, kGroupBox4, 8, 24, 0, 17},
    {kCheckBox2, Kind::CheckBox, kGroupBox4, 183, 24, 0, 17},
    {kCheckBox3, Kind::CheckBox, kGroupBox4, 304, 24, 0, 17},
    {kLabel4, Kind::Label, 0, 33, 556, 0, 0},
    {kComboBoxLang, Kind::Combo, 0, 163, 553, 145, 0},
    {kButtonOther, Kind::SplitButton, 0, 314, 550, 86, 25},
    {kButtonRefresh, Kind::Button, 0, 412, 550, 75, 25},
};

} // namespace quillon::win32view
