// Moving enabled rows; every move commits.
#include "app/tform1.h"

namespace quillon {

void TForm1::ListViewItemMoveUpDown(ListView& lv, int item, bool moveUp, bool setFocus) {
    if (item < 0 || item >= lv.count()) {
        return;
    }
    if ((moveUp && item == 0) || (!moveUp && item == lv.count() - 1)) {
        return;
    }
    const int other = moveUp ? item - 1 : item + 1;
    std::swap(lv.rows[static_cast<std::size_t>(item)], lv.rows[static_cast<std::size_t>(other)]);
    lv.selected = other;
    if (setFocus) {
        ActiveControl = &lv;
    }
    ListView1Change();
}

void TForm1::Button_UpClick() {
    const int s = ListView1.selected;
    if (s >= 0) {
        if (defime == s) {
            defime = s - 1;
        } else if (defime == s - 1) {
            defime = s;
        }
    }
    Visible = true;
    ListViewItemMoveUpDown(ListView1, s, true, true);
    Button_FixClick();
}

void TForm1::Button_DownClick() {
    const int s = ListView1.selected;
    if (s >= 0) {
        if (defime == s) {
            defime = s + 1;
        } else if (defime == s + 1) {
            defime = s;
        }
    }
    Visible = true;
    ListViewItemMoveUpDown(ListView1, s, false, true);
    Button_FixClick();
}

void TForm1::move_num(int n1, int n2) {
    const int count = ListView1.count();
    n1 = n1 > count ? count : n1;
    n2 = n2 > count ? count : n2;
    if (n1 <= 0 || n2 <= 0 || n1 == n2) {
        return;
    }
    ListView1.selected = n1 - 1;
    ListView1Change();
    if (n1 < n2) {
        for (int i = 0; i < n2 - n1; ++i) {
            if (Button_Down.enabled) {
                Button_DownClick();
            }
        }
    } else {
        for (int i = 0; i < n1 - n2; ++i) {
            if (Button_Up.enabled) {
                Button_UpClick();
            }
        }
    }
}

} // namespace quillon
