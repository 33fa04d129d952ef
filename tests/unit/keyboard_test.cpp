// The main window without the mouse: the keys it answers, the focus hand-over when a button
// disables itself, and switching keys written once per confirmed choice.
#include "core/error.h"
#include "form_fixture.h"

namespace quillon::testing {
namespace {

class KeyboardTest : public FormTest {
protected:
    // Rows with empty fields: enough for the rules, which look at counts and the selection.
    void lists(int count1, int selected1, int count2, int selected2) {
        form.ListView1.rows.assign(static_cast<std::size_t>(count1), InputMethodEntry{});
        form.ListView1.selected = selected1;
        form.ListView2.rows.assign(static_cast<std::size_t>(count2), InputMethodEntry{});
        form.ListView2.selected = selected2;
        form.ListView1Change();
        form.ListView2Change();
    }
};

TEST_F(KeyboardTest, KeysMapToTheHandlerOfTheFocusedList) {
    const KeyStroke f1{Key::F1}, f4{Key::F4}, f5{Key::F5}, enter{Key::Enter}, space{Key::Space},
        del{Key::Delete}, altUp{Key::Up, true}, altDown{Key::Down, true}, up{Key::Up},
        down{Key::Down}, ctrlF5{Key::F5, false, true}, shiftDel{Key::Delete, false, false, true};
    TForm1& f = form;
    struct Case {
        KeyStroke stroke;
        const Control* focused;
        KeyCommand expected;
    };
    const Case cases[] = {
        {f5, &f.ListView1, KeyCommand::Refresh},
        {f5, &f.CheckBox2, KeyCommand::Refresh},
        {f5, nullptr, KeyCommand::Refresh},
        {f1, &f.ComboBox_Lang, KeyCommand::Help},
        {f1, nullptr, KeyCommand::Help},
        {ctrlF5, &f.ListView1, KeyCommand::None},
        {enter, &f.ListView1, KeyCommand::RowAction},
        {enter, &f.ListView2, KeyCommand::RowAction},
        {del, &f.ListView1, KeyCommand::Disable},
        {del, &f.ListView2, KeyCommand::Delete},
        {shiftDel, &f.ListView2, KeyCommand::None},
        {del, &f.Button_Disable, KeyCommand::None},
        {altUp, &f.ListView1, KeyCommand::MoveUp},
        {altDown, &f.ListView1, KeyCommand::MoveDown},
        {altDown, &f.Button_Up, KeyCommand::MoveDown},
        {altUp, &f.Button_Disable, KeyCommand::MoveUp},
        {altDown, &f.ListView2, KeyCommand::None},
        {altDown, &f.ComboBox1, KeyCommand::None}, // the combo box opens its own list
        {up, &f.ListView1, KeyCommand::None},      // the list moves its selection itself
        {down, &f.ListView1, KeyCommand::None},
        {space, &f.Button_Other, KeyCommand::OpenOtherMenu},
        {enter, &f.Button_Other, KeyCommand::OpenOtherMenu},
        {altDown, &f.Button_Other, KeyCommand::OpenOtherMenu},
        {f4, &f.Button_Other, KeyCommand::OpenOtherMenu},
        {f4, &f.ComboBox1, KeyCommand::None},
        {space, &f.Button_Refresh, KeyCommand::None}, // the button presses itself
        {space, &f.CheckBox1, KeyCommand::None},
        {enter, &f.Button_Up, KeyCommand::Click},
        {enter, &f.SpeedButton1, KeyCommand::Click},
        {enter, &f.Button_SW2, KeyCommand::Click},
        {enter, &f.CheckBox1, KeyCommand::None},
        {enter, &f.ComboBox2, KeyCommand::ConfirmChoice},
        {enter, &f.ComboBox_Lang, KeyCommand::ConfirmChoice},
        {enter, nullptr, KeyCommand::None},
    };
    lists(3, 1, 2, 0);
    for (const Case& c : cases) {
        EXPECT_EQ(form.shortcut(c.stroke, c.focused), c.expected)
            << static_cast<int>(c.stroke.key) << " alt=" << c.stroke.alt
            << " ctrl=" << c.stroke.ctrl << " on " << (c.focused ? toUtf8(c.focused->caption) : "-")
            << " (case " << (&c - cases) << ")";
    }
}

TEST_F(KeyboardTest, AKeyDoesNothingWhereItsButtonCouldNot) {
    struct Case {
        int count1, selected1, count2, selected2;
        KeyStroke stroke;
        bool onEnabledList;
        KeyCommand expected;
    };
    const Case cases[] = {
        {3, 0, 1, 0, {Key::Up, true}, true, KeyCommand::None},    // first row: 上移 disabled
        {3, 2, 1, 0, {Key::Down, true}, true, KeyCommand::None},  // last row: 下移 disabled
        {3, 2, 1, 0, {Key::Up, true}, true, KeyCommand::MoveUp},  //
        {1, 0, 1, 0, {Key::Delete}, true, KeyCommand::None},      // the last one stays
        {2, 1, 1, 0, {Key::Delete}, true, KeyCommand::Disable},   //
        {2, -1, 1, 0, {Key::Delete}, true, KeyCommand::None},     // no row selected
        {2, -1, 1, 0, {Key::Enter}, true, KeyCommand::None},      //
        {2, 0, 0, -1, {Key::Delete}, false, KeyCommand::None},    // nothing to delete
        {2, 0, 0, -1, {Key::Enter}, false, KeyCommand::None},     // nothing to enable
        {2, 0, 1, -1, {Key::Enter}, false, KeyCommand::None},     // no row selected
        {2, 0, 1, 0, {Key::Enter}, false, KeyCommand::RowAction}, //
    };
    for (const Case& c : cases) {
        lists(c.count1, c.selected1, c.count2, c.selected2);
        const Control* focused = c.onEnabledList ? &form.ListView1 : &form.ListView2;
        EXPECT_EQ(form.shortcut(c.stroke, focused), c.expected) << "case " << (&c - cases);
    }
    lists(2, 0, 1, 0);
    form.Button_Refresh.enabled = false;
    EXPECT_EQ(form.shortcut({Key::F5}, &form.ListView1), KeyCommand::None);
}

TEST_F(KeyboardTest, KeysRunWhatTheButtonsRun) {
    start();
    ASSERT_EQ(names(form.ListView1), std::vector<std::string>{"微软拼音"});
    ASSERT_GT(form.ListView2.count(), 0);
    const std::string enabling = names(form.ListView2)[0];
    form.ListView2.selected = 0;
    form.runShortcut(form.shortcut({Key::Enter}, &form.ListView2), &form.ListView2);
    EXPECT_EQ(names(form.ListView1), (std::vector<std::string>{"微软拼音", enabling}));

    form.ListView1.selected = 1;
    form.ListView1Change();
    form.runShortcut(form.shortcut({Key::Up, true}, &form.ListView1), &form.ListView1);
    EXPECT_EQ(names(form.ListView1), (std::vector<std::string>{enabling, "微软拼音"}));
    EXPECT_EQ(form.ListView1.selected, 0);
}

TEST_F(KeyboardTest, AButtonThatDisablesItselfHandsTheFocusOn) {
    TForm1& f = form;
    struct Case {
        int count1, selected1, count2;
        Control* had;
        Control* expected;
    };
    const Case cases[] = {
        // Still enabled: the focus stays.
        {3, 1, 1, &f.Button_Up, &f.Button_Up},
        {3, 1, 1, &f.ListView2, &f.ListView2},
        // 上移 on the second row leaves the first row selected.
        {3, 0, 1, &f.Button_Up, &f.Button_Down},
        // 下移 onto the last row: 热键 is next.
        {3, 2, 1, &f.Button_Down, &f.Button_Hotkey},
        // 禁用 on the last-but-one row: no button after it, so the list.
        {1, 0, 1, &f.Button_Disable, &f.ListView1},
        // 启用 on the last disabled row: 删除 is disabled too, so the disabled list.
        {2, 0, 0, &f.Button_Enable, &f.ListView2},
        {2, 0, 0, &f.Button_DEL, &f.ListView2},
        // No control had it: the enabled list.
        {2, 0, 1, nullptr, &f.ListView1},
    };
    for (const Case& c : cases) {
        lists(c.count1, c.selected1, c.count2, c.count2 > 0 ? 0 : -1);
        EXPECT_EQ(form.focusAfter(c.had), c.expected) << "case " << (&c - cases);
    }

    // Any other control goes on in tab order, past what cannot take the focus.
    lists(2, 0, 1, 0);
    form.Button_SW2.enabled = false;
    form.ComboBox2.visible = false;
    EXPECT_EQ(form.focusAfter(&form.Button_SW2), &form.ComboBox3);
    form.Button_Refresh.enabled = false;
    EXPECT_EQ(form.focusAfter(&form.Button_Refresh), &form.ListView1); // round to the start
}

class ChoiceTest : public FormTest {
protected:
    ChoiceTest() {
        windows.loadReg("Windows Registry Editor Version 5.00\n\n"
                        "[HKEY_CURRENT_USER\\Keyboard Layout\\Toggle]\n"
                        "\"Layout Hotkey\"=\"2\"\n\"Language Hotkey\"=\"1\"\n\"Hotkey\"=\"1\"\n");
        start();
    }
};

TEST_F(ChoiceTest, ASwitchingKeyIsWrittenOncePerConfirmedChoice) {
    ASSERT_EQ(form.ComboBox1.itemIndex, 1);
    const int writes = windows.registry.writeCount();
    // Arrow presses through the items: shown, nothing written.
    for (int index : {2, 3, 0}) {
        form.comboChoosing(form.ComboBox1, index);
        EXPECT_EQ(form.ComboBox1.shownIndex(), index);
        EXPECT_EQ(form.ComboBox1.itemIndex, 1);
    }
    EXPECT_EQ(windows.registry.writeCount(), writes);
    form.comboConfirm(form.ComboBox1);
    const int once = windows.registry.writeCount();
    EXPECT_GT(once, writes);
    EXPECT_EQ(form.ComboBox1.itemIndex, 0);
    EXPECT_FALSE(form.ComboBox1.choosing);
    // A second confirmation (the list closing after Enter, the focus leaving) writes nothing.
    form.comboConfirm(form.ComboBox1);
    EXPECT_EQ(windows.registry.writeCount(), once);

    // Back to where it was: no change, nothing written.
    form.comboChoosing(form.ComboBox1, 2);
    form.comboChoosing(form.ComboBox1, 0);
    form.comboConfirm(form.ComboBox1);
    // Escape on the open list drops the choice.
    form.comboChoosing(form.ComboBox3, 1);
    form.comboCancel(form.ComboBox3);
    form.comboConfirm(form.ComboBox3);
    EXPECT_EQ(form.ComboBox3.itemIndex, 0);
    EXPECT_EQ(windows.registry.writeCount(), once);
}

TEST_F(ChoiceTest, ARefreshDropsAChoiceNotYetConfirmed) {
    form.comboChoosing(form.ComboBox2, 3);
    form.comboChoosing(form.ComboBox_Lang, 1);
    form.runShortcut(form.shortcut({Key::F5}, &form.ComboBox2), &form.ComboBox2);
    EXPECT_FALSE(form.ComboBox2.choosing);
    EXPECT_FALSE(form.ComboBox_Lang.choosing);
    EXPECT_EQ(form.ComboBox2.shownIndex(), 0);
}

TEST_F(ChoiceTest, EnterConfirmsTheLanguageShown) {
    ASSERT_EQ(form.LangId(), 0x0804);
    form.comboChoosing(form.ComboBox_Lang, 1);
    EXPECT_EQ(form.LangId(), 0x0804);
    form.runShortcut(form.shortcut({Key::Enter}, &form.ComboBox_Lang), &form.ComboBox_Lang);
    EXPECT_EQ(form.LangId(), 0x0409);
    EXPECT_EQ(names(form.ListView1), std::vector<std::string>{"美式键盘"});
}

} // namespace
} // namespace quillon::testing
