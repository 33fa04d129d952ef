// What the program's read-only tool windows (the help window, the differences window) have in
// common as models: a caption, a text that can be read, scrolled and copied but not changed,
// the name assistive technology gives that text, and the view's hook that shows the window.
// Each lives for the whole run and is only ever shown modally.
#pragma once

#include "app/keyboard.h"
#include "core/text.h"

#include <functional>
#include <utility>

namespace quillon {

// What a key does in a tool window before the control with the focus sees it: a multi-line
// text takes every key for itself, read only or not.
enum class ToolKeyCommand { None, Close, NextControl, PreviousControl };

class ToolForm {
public:
    ustring Caption;
    // Lines separated by CR LF, as the multi-line field holds them.
    ustring Memo1;
    // What assistive technology calls the text, which no label names.
    ustring Memo1Name;

    // Set by the view: shows the window and returns once it is closed.
    std::function<void()> ShowModalView;

protected:
    ToolForm(ustring caption, ustring memo1Name)
        : Caption(std::move(caption)), Memo1Name(std::move(memo1Name)) {}
    ~ToolForm() = default;

    void showView() const {
        if (ShowModalView) {
            ShowModalView();
        }
    }
};

} // namespace quillon
