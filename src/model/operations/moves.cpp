// Moving enabled rows. A click moves one place and commits; a move over several places is
// made in memory and committed once, since nothing can observe the places in between and
// every commit starts a PowerShell process.
#include "app/tform1.h"
#include "backups/backups.h"

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

void TForm1::moveSelectedRow(bool moveUp) {
    const int s = ListView1.selected;
    const int other = moveUp ? s - 1 : s + 1;
    if (s >= 0) {
        if (defime == s) {
            defime = other;
        } else if (defime == other) {
            defime = s;
        }
    }
    Visible = true;
    ListViewItemMoveUpDown(ListView1, s, moveUp, true);
}

namespace {

void backUpMove(TForm1& form, const char16_t* direction) {
    const int s = form.ListView1.selected;
    if (s >= 0 && s < form.ListView1.count()) {
        backups::beforeChange(
            form,
            direction + (u"“" + form.ListView1.rows[static_cast<std::size_t>(s)].name + u"”"));
    }
}

} // namespace

void TForm1::Button_UpClick() {
    requireCompleteLists();
    backUpMove(*this, u"上移");
    moveSelectedRow(true);
    Button_FixClick();
}

void TForm1::Button_DownClick() {
    requireCompleteLists();
    backUpMove(*this, u"下移");
    moveSelectedRow(false);
    Button_FixClick();
}

void TForm1::move_num(int n1, int n2) {
    requireCompleteLists();
    const int count = ListView1.count();
    n1 = n1 > count ? count : n1;
    n2 = n2 > count ? count : n2;
    if (n1 <= 0 || n2 <= 0 || n1 == n2) {
        return;
    }
    ListView1.selected = n1 - 1;
    ListView1Change();
    const bool moveUp = n1 > n2;
    bool moved = false;
    for (int i = 0; i < (moveUp ? n1 - n2 : n2 - n1); ++i) {
        if ((moveUp ? Button_Up : Button_Down).enabled) {
            moveSelectedRow(moveUp);
            moved = true;
        }
    }
    if (moved) {
        Button_FixClick();
    }
}

} // namespace quillon
