// The main window's controls in one list: where each one's state is in TForm1, in the order the
// window reads, row by row, each label just before the control it names. That order is the
// tab order (the controls Tab stops on), and the view makes the native controls in it, which
// is the order Windows' dialog navigation and assistive technology follow.
#pragma once

#include "app/tform1.h"

namespace quillon {

// A control's state in the model, given the model.
using ControlOf = Control& (*)(TForm1&);

template <auto member> Control& controlOf(TForm1& form) {
    return form.*member;
}

struct FormControl {
    ControlOf control;
    bool tabStop; // group boxes and labels take no focus
};

inline constexpr FormControl kFormControls[] = {
    {controlOf<&TForm1::GroupBox1>, false},
    {controlOf<&TForm1::ListView1>, true},
    {controlOf<&TForm1::Button_Up>, true},
    {controlOf<&TForm1::Button_Down>, true},
    {controlOf<&TForm1::Button_Hotkey>, true},
    {controlOf<&TForm1::Button_Disable>, true},
    {controlOf<&TForm1::GroupBox2>, false},
    {controlOf<&TForm1::ListView2>, true},
    {controlOf<&TForm1::Button_Enable>, true},
    {controlOf<&TForm1::Button_DEL>, true},
    {controlOf<&TForm1::SpeedButton1>, true},
    // Each switching key's combo box, then the toggle beside it.
    {controlOf<&TForm1::GroupBox3>, false},
    {controlOf<&TForm1::Label1>, false},
    {controlOf<&TForm1::ComboBox1>, true},
    {controlOf<&TForm1::Label_SW1>, false},
    {controlOf<&TForm1::Button_SW1>, true},
    {controlOf<&TForm1::Label2>, false},
    {controlOf<&TForm1::ComboBox2>, true},
    {controlOf<&TForm1::Label_SW2>, false},
    {controlOf<&TForm1::Button_SW2>, true},
    {controlOf<&TForm1::Label3>, false},
    {controlOf<&TForm1::ComboBox3>, true},
    {controlOf<&TForm1::Label_SW3>, false},
    {controlOf<&TForm1::Button_SW3>, true},
    {controlOf<&TForm1::GroupBox4>, false},
    {controlOf<&TForm1::CheckBox1>, true},
    {controlOf<&TForm1::CheckBox2>, true},
    {controlOf<&TForm1::CheckBox3>, true},
    {controlOf<&TForm1::Label4>, false},
    {controlOf<&TForm1::ComboBox_Lang>, true},
    {controlOf<&TForm1::Button_Other>, true},
    {controlOf<&TForm1::Button_Refresh>, true},
};

} // namespace quillon
