// Where each control of the main window sits: left, top, width, height in pixels at 96 dpi,
// relative to the window's client area (controls inside a group box are given relative to
// the box and placed on the window itself). The control ids are stable: the test bed finds
// controls by them.
#pragma once

#include "app/form_controls.h"

#include <iterator>

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
    ControlOf control; // the control's state in the model
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

// One placement for each control of the model's list (app/form_controls.h), which gives the
// order the window makes them in; here they follow it only to be read alongside.
constexpr Placement kLayout[] = {
    {kGroupBox1, controlOf<&TForm1::GroupBox1>, Kind::GroupBox, 0, 24, 8, 473, 186},
    {kListView1, controlOf<&TForm1::ListView1>, Kind::ListView, kGroupBox1, 16, 24, 353, 150},
    {kButtonUp, controlOf<&TForm1::Button_Up>, Kind::Button, kGroupBox1, 388, 24, 75, 25},
    {kButtonDown, controlOf<&TForm1::Button_Down>, Kind::Button, kGroupBox1, 388, 55, 75, 25},
    {kButtonHotkey, controlOf<&TForm1::Button_Hotkey>, Kind::Button, kGroupBox1, 388, 118, 75, 25},
    {kButtonDisable, controlOf<&TForm1::Button_Disable>, Kind::Button, kGroupBox1, 388, 149, 75,
     25},
    {kGroupBox2, controlOf<&TForm1::GroupBox2>, Kind::GroupBox, 0, 24, 200, 473, 153},
    {kListView2, controlOf<&TForm1::ListView2>, Kind::ListView, kGroupBox2, 16, 25, 353, 112},
    {kButtonEnable, controlOf<&TForm1::Button_Enable>, Kind::Button, kGroupBox2, 388, 25, 75, 25},
    {kButtonDel, controlOf<&TForm1::Button_DEL>, Kind::Button, kGroupBox2, 388, 56, 75, 25},
    {kSpeedButton1, controlOf<&TForm1::SpeedButton1>, Kind::FlatButton, kGroupBox2, 414, 112, 23,
     22},
    {kGroupBox3, controlOf<&TForm1::GroupBox3>, Kind::GroupBox, 0, 24, 359, 473, 116},
    {kLabel1, controlOf<&TForm1::Label1>, Kind::Label, kGroupBox3, 12, 27, 0, 0},
    {kComboBox1, controlOf<&TForm1::ComboBox1>, Kind::Combo, kGroupBox3, 103, 24, 113, 0},
    {kLabelSW1, controlOf<&TForm1::Label_SW1>, Kind::Label, kGroupBox3, 237, 27, 0, 0},
    {kButtonSW1, controlOf<&TForm1::Button_SW1>, Kind::Button, kGroupBox3, 342, 24, 121, 25},
    {kLabel2, controlOf<&TForm1::Label2>, Kind::Label, kGroupBox3, 12, 55, 0, 0},
    {kComboBox2, controlOf<&TForm1::ComboBox2>, Kind::Combo, kGroupBox3, 103, 52, 113, 0},
    {kLabelSW2, controlOf<&TForm1::Label_SW2>, Kind::Label, kGroupBox3, 249, 55, 0, 0},
    {kButtonSW2, controlOf<&TForm1::Button_SW2>, Kind::Button, kGroupBox3, 342, 52, 121, 25},
    {kLabel3, controlOf<&TForm1::Label3>, Kind::Label, kGroupBox3, 24, 83, 0, 0},
    {kComboBox3, controlOf<&TForm1::ComboBox3>, Kind::Combo, kGroupBox3, 103, 80, 113, 0},
    {kLabelSW3, controlOf<&TForm1::Label_SW3>, Kind::Label, kGroupBox3, 242, 83, 0, 0},
    {kButtonSW3, controlOf<&TForm1::Button_SW3>, Kind::Button, kGroupBox3, 342, 80, 121, 25},
    {kGroupBox4, controlOf<&TForm1::GroupBox4>, Kind::GroupBox, 0, 24, 481, 473, 57},
    {kCheckBox1, controlOf<&TForm1::CheckBox1>, Kind::CheckBox, kGroupBox4, 8, 24, 0, 17},
    {kCheckBox2, controlOf<&TForm1::CheckBox2>, Kind::CheckBox, kGroupBox4, 183, 24, 0, 17},
    {kCheckBox3, controlOf<&TForm1::CheckBox3>, Kind::CheckBox, kGroupBox4, 304, 24, 0, 17},
    {kLabel4, controlOf<&TForm1::Label4>, Kind::Label, 0, 33, 556, 0, 0},
    {kComboBoxLang, controlOf<&TForm1::ComboBox_Lang>, Kind::Combo, 0, 163, 553, 145, 0},
    {kButtonOther, controlOf<&TForm1::Button_Other>, Kind::SplitButton, 0, 314, 550, 86, 25},
    {kButtonRefresh, controlOf<&TForm1::Button_Refresh>, Kind::Button, 0, 412, 550, 75, 25},
};

// The placement of a control of the model's list; null for none.
constexpr const Placement* placementOf(ControlOf control) {
    for (const Placement& p : kLayout) {
        if (p.control == control) {
            return &p;
        }
    }
    return nullptr;
}

constexpr bool everyControlPlacedOnce() {
    if (std::size(kLayout) != std::size(kFormControls)) {
        return false;
    }
    for (const FormControl& c : kFormControls) {
        if (!placementOf(c.control)) {
            return false;
        }
    }
    for (const Placement& p : kLayout) {
        bool listed = false;
        for (const FormControl& c : kFormControls) {
            listed = listed || c.control == p.control;
        }
        if (!listed) {
            return false;
        }
    }
    return true;
}
static_assert(everyControlPlacedOnce(), "kLayout places exactly the controls of kFormControls");

} // namespace quillon::win32view
