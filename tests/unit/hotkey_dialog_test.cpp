// The hotkey dialog and its openers, driven through the substitute's modal interaction: each
// script step acts on the dialog as clicks on its controls would, then presses a button.
#include "app/tform1.h"
#include "cli/command_line.h"
#include "core/error.h"
#include "hotkeys/hotkey_dialog.h"
#include "hotkeys/hotkey_registry.h"
#include "sample_setup.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <utility>

namespace quillon::testing {
namespace {

using platform::Hive;
using platform::kIdCancel;
using platform::kIdOk;
using Step = platform::SubstituteDialogs::ModalStep;

constexpr int kPinyinRow = 0; // text service, Ctrl+1
constexpr int kUsRow = 1;     // keyboard layout
constexpr int kImmRow = 2;    // IMM input method, Ctrl+2

// What a user does in the open dialog. Only what can be clicked is clicked: a disabled radio
// item, a hidden side box or a disabled key list fails the test.
class Turn {
public:
    Turn& radio(int item) {
        radio_ = item;
        return *this;
    }
    Turn& left(bool checked) {
        left_ = checked;
        return *this;
    }
    Turn& right(bool checked) {
        right_ = checked;
        return *this;
    }
    Turn& key(const ustring& name) {
        key_ = name;
        return *this;
    }
    // 0: the dialog stays open for the next step.
    Turn& press(int button) {
        press_ = button;
        return *this;
    }

    int operator()(platform::ModalForm& form) const {
        auto& dialog = dynamic_cast<TForm2&>(form);
        if (radio_) {
            EXPECT_TRUE(dialog.RadioGroup1.itemEnabled[static_cast<std::size_t>(*radio_)])
                << "radio item " << *radio_;
            dialog.RadioGroup1.itemIndex = *radio_;
            dialog.RadioGroup1Click();
        }
        for (auto [box, wanted] :
             {std::pair{&dialog.CheckBox_left, left_}, std::pair{&dialog.CheckBox_right, right_}}) {
            if (wanted && box->checked != *wanted) {
                EXPECT_TRUE(box->visible) << toUtf8(box->caption);
                box->checked = *wanted;
                dialog.CheckBox_leftClick();
            }
        }
        if (key_) {
            EXPECT_TRUE(dialog.ComboBox1.enabled);
            const auto& items = dialog.ComboBox1.items;
            const auto found = std::find(items.begin(), items.end(), *key_);
            EXPECT_NE(found, items.end()) << toUtf8(*key_);
            dialog.ComboBox1.itemIndex = static_cast<int>(found - items.begin());
        }
        return press_;
    }

private:
    std::optional<int> radio_;
    std::optional<bool> left_;
    std::optional<bool> right_;
    std::optional<ustring> key_;
    int press_ = kIdOk;
};

Step act(const Turn& turn) {
    return turn;
}

Turn cancel() {
    return Turn().press(kIdCancel);
}

// The dialog as it is when it appears.
struct Seen {
    ustring caption;
    ustring hint;
    int radio = -1;
    std::vector<bool> itemEnabled;
    bool sidesShown = false;
    bool left = false;
    bool right = false;
    ustring key; // the selected key; empty when none
    bool keysEnabled = false;
    std::size_t keyCount = 0;
};

Step look(Seen& seen) {
    return [&seen](platform::ModalForm& form) {
        const auto& dialog = dynamic_cast<TForm2&>(form);
        seen.caption = dialog.Caption;
        seen.hint = dialog.Hint;
        seen.radio = dialog.RadioGroup1.itemIndex;
        seen.itemEnabled = dialog.RadioGroup1.itemEnabled;
        seen.sidesShown = dialog.CheckBox_left.visible && dialog.CheckBox_right.visible;
        seen.left = dialog.CheckBox_left.checked;
        seen.right = dialog.CheckBox_right.checked;
        const int index = dialog.ComboBox1.itemIndex;
        seen.key = index < 0 ? ustring() : dialog.ComboBox1.items[static_cast<std::size_t>(index)];
        seen.keysEnabled = dialog.ComboBox1.enabled;
        seen.keyCount = dialog.ComboBox1.items.size();
        return 0;
    };
}

const std::vector<bool> kAllItems(8, true);
const std::vector<bool> kNoAlt = {true, false, true, false, true, false, true, false};

// The end-to-end sample setup with the IMM input method enabled: 示例拼音输入法 (Ctrl+1), US,
// 示例全拼输入法 (Ctrl+2); toggles Ctrl+SPACE, 左Alt+SPACE, Ctrl+.
class HotkeyDialogTest : public ::testing::Test {
protected:
    HotkeyDialogTest() {
        const SampleSetup setup = SampleSetup::testBed().immEnabled();
        setup.build(windows);
        setup.answerLanguageQuery(windows);
        form.FormCreate();
        form.Form2 = &dialog;
        windows.calls.clear();
    }

    void SetUp() override {
        ASSERT_EQ(form.ListView1.count(), 3);
        ASSERT_EQ(hotkeys(), (StringList{u"Ctrl+1", u"", u"Ctrl+2"}));
        ASSERT_EQ(captions(), (StringList{u"Ctrl+SPACE", u"左Alt+SPACE", u"Ctrl+."}));
    }

    StringList hotkeys() const {
        StringList out;
        for (const auto& row : form.ListView1.rows) {
            out.push_back(row.fields[kFieldHotkey]);
        }
        return out;
    }

    StringList captions() const {
        return {form.Button_SW1.caption, form.Button_SW2.caption, form.Button_SW3.caption};
    }

    // The dialog for a row of the enabled list, through the button "热键".
    void openRow(int row, std::vector<Step> steps) {
        form.ListView1.selected = row;
        script(std::move(steps));
        form.Button_HotkeyClick();
    }

    void script(std::vector<Step> steps) {
        windows.dialogs.modalSteps.assign(steps.begin(), steps.end());
    }

    bool committed() const {
        return std::any_of(windows.calls.begin(), windows.calls.end(), [](const std::string& c) {
            return c.rfind("ShellExecute(open", 0) == 0 &&
                   c.find("Set-WinUserLanguageList") != std::string::npos;
        });
    }

    std::string user() const { return windows.registry.dump(Hive::CurrentUser); }

    bool exists(const ustring& path) { return windows.registry.keyExists(Hive::CurrentUser, path); }

    ustring text(const ustring& path, const ustring& name) {
        platform::TRegistry reg(windows.registry);
        return reg.OpenKey(u"\\" + path, false) ? reg.ReadString(name) : u"(no key)";
    }

    // A 4-byte binary value as its little-endian number.
    std::optional<std::uint32_t> binary(const ustring& path, const ustring& name) {
        platform::TRegistry reg(windows.registry);
        if (!reg.OpenKey(u"\\" + path, false)) {
            return std::nullopt;
        }
        return hotkeys::readBinary32(reg, name);
    }

    platform::Substitute windows;
    TForm1 form{windows.platform()};
    TForm2 dialog{form};
};

TEST_F(HotkeyDialogTest, OpensWithTheCurrentHotkey) {
    struct Case {
        int row;      // a row of the enabled list, or -1..-3 for toggle button 1..3
        ustring text; // the row's hotkey or the button's caption
        Seen want;
    };
    const ustring tsf = u"示例拼音输入法";
    const ustring imm = u"示例全拼输入法";
    const Case cases[] = {
        // No hotkey: 无, SPACE in a disabled key list; a text service's sides hidden and set.
        {kPinyinRow, u"", {tsf, {}, 0, kAllItems, false, true, true, u"SPACE", false, 89}},
        {kImmRow, u"", {imm, {}, 0, kNoAlt, true, false, false, u"SPACE", false, 92}},
        {kImmRow, u"无", {imm, {}, 0, kNoAlt, true, false, false, u"SPACE", false, 92}},
        {kPinyinRow, u"Ctrl+左Alt+5", {tsf, {}, 3, kAllItems, false, true, true, u"5", true, 89}},
        {kImmRow, u"左Ctrl+A", {imm, {}, 2, kNoAlt, true, true, false, u"A", true, 92}},
        {kImmRow, u"右Shift+f1", {imm, {}, 4, kNoAlt, true, false, true, u"F1", true, 92}},
        {kUsRow, u"Ctrl+Shift+APPS", {u"US", {}, 6, kNoAlt, true, true, true, u"APPS", true, 92}},
        // A stored Alt hotkey opens with its item, though the item cannot be picked.
        {kImmRow, u"左Alt+A", {imm, {}, 1, kNoAlt, true, true, true, u"A", true, 92}},
        // A key the list lacks: a row falls back to the first key, a toggle shows none.
        {kPinyinRow, u"Ctrl+左WINDOW", {tsf, {}, 2, kAllItems, false, true, true, u"0", true, 89}},
        {-1,
         u"Ctrl+SPACE",
         {u"打开/关闭输入法", {}, 2, kNoAlt, true, true, true, u"SPACE", true, 92}},
        {-2,
         u"左Alt+SPACE",
         {u"全角/半角切换", {}, 1, kNoAlt, true, true, true, u"SPACE", true, 92}},
        // A modifier alone (its key was not in the table) is read as a key without modifier.
        {-3, u"Ctrl", {u"中英文标点切换", {}, 0, kNoAlt, true, false, false, u"", false, 92}},
        {-3, u"无", {u"中英文标点切换", {}, 0, kNoAlt, true, false, false, u"SPACE", false, 92}},
    };
    for (const Case& c : cases) {
        Control* const buttons[] = {&form.Button_SW1, &form.Button_SW2, &form.Button_SW3};
        (c.row >= 0 ? form.ListView1.rows[static_cast<std::size_t>(c.row)].fields[kFieldHotkey]
                    : buttons[-c.row - 1]->caption) = c.text;
        const std::string before = user();
        const StringList shown = hotkeys();
        const StringList toggles = captions();
        Seen seen;
        const std::vector<Step> steps = {look(seen), act(cancel())};
        if (c.row >= 0) {
            openRow(c.row, steps);
        } else {
            script(steps);
            form.Button_SW1Click(-c.row);
        }
        const std::string what = toUtf8(c.text);
        EXPECT_EQ(seen.caption, c.want.caption) << what;
        EXPECT_EQ(seen.hint, hints::kButtonSW) << what;
        EXPECT_EQ(seen.radio, c.want.radio) << what;
        EXPECT_EQ(seen.itemEnabled, c.want.itemEnabled) << what;
        EXPECT_EQ(seen.sidesShown, c.want.sidesShown) << what;
        EXPECT_EQ(seen.left, c.want.left) << what;
        EXPECT_EQ(seen.right, c.want.right) << what;
        EXPECT_EQ(seen.key, c.want.key) << what;
        EXPECT_EQ(seen.keysEnabled, c.want.keysEnabled) << what;
        EXPECT_EQ(seen.keyCount, c.want.keyCount) << what;
        EXPECT_EQ(form.oldkey, c.text) << what;
        // Cancelled: nothing stored, nothing committed, every item offered again.
        EXPECT_EQ(hotkeys(), shown) << what;
        EXPECT_EQ(captions(), toggles) << what;
        EXPECT_EQ(user(), before) << what;
        EXPECT_FALSE(committed()) << what;
        EXPECT_EQ(dialog.RadioGroup1.itemEnabled, kAllItems) << what;
    }
}

TEST_F(HotkeyDialogTest, TextServicesAreNeverOfferedTheWindowsAndApplicationKeys) {
    StringList items;
    openRow(kPinyinRow, {[&](platform::ModalForm&) {
                items = dialog.ComboBox1.items;
                return kIdCancel;
            }});
    ASSERT_EQ(items.size(), 89u);
    for (const char16_t* key : {u"左WINDOW", u"右WINDOW", u"APPS"}) {
        EXPECT_EQ(std::count(items.begin(), items.end(), key), 0) << toUtf8(key);
    }
    EXPECT_EQ(items.back(), u"~");
    openRow(kImmRow, {[&](platform::ModalForm&) {
                items = dialog.ComboBox1.items;
                return kIdCancel;
            }});
    EXPECT_EQ(StringList(items.end() - 3, items.end()),
              (StringList{u"左WINDOW", u"右WINDOW", u"APPS"}));
}

TEST_F(HotkeyDialogTest, ChoiceMakesTheModesHotkeyText) {
    struct Case {
        HotkeyMode mode;
        int radio;
        bool left;
        bool right;
        ustring key;
        ustring text;
    };
    const Case cases[] = {
        {HotkeyMode::Imm, 2, true, false, u"A", u"左Ctrl+A"},
        {HotkeyMode::Imm, 2, true, true, u"A", u"Ctrl+A"},
        {HotkeyMode::Imm, 2, false, false, u"A", u"Ctrl+A"},
        {HotkeyMode::Imm, 4, false, true, u"SPACE", u"右Shift+SPACE"},
        {HotkeyMode::Imm, 3, true, true, u"5", u"Ctrl+Alt+5"},
        {HotkeyMode::Toggle, 6, false, true, u"F1", u"右Ctrl+Shift+F1"},
        {HotkeyMode::Toggle, 2, true, true, u"左WINDOW", u"Ctrl+左WINDOW"},
        {HotkeyMode::TextService, 3, true, true, u"5", u"Ctrl+左Alt+5"},
        {HotkeyMode::TextService, 6, true, true, u"NUMPAD +", u"Ctrl+Shift+NUMPAD +"},
        // 无 is the empty text for a text service and "无" for the others.
        {HotkeyMode::TextService, 0, false, false, u"SPACE", u""},
        {HotkeyMode::Imm, 0, false, false, u"SPACE", u"无"},
        {HotkeyMode::Toggle, 0, false, false, u"SPACE", u"无"},
    };
    for (const Case& c : cases) {
        dialog.mode = c.mode;
        dialog.hotkeylist(c.mode == HotkeyMode::TextService ? u"tsf" : u"imm");
        const auto& items = dialog.ComboBox1.items;
        dialog.ComboBox1.itemIndex =
            static_cast<int>(std::find(items.begin(), items.end(), c.key) - items.begin());
        dialog.RadioGroup1.itemIndex = c.radio;
        dialog.CheckBox_left.checked = c.left;
        dialog.CheckBox_right.checked = c.right;
        EXPECT_EQ(dialog.chosenHotkey(), c.text) << toUtf8(c.text);
    }
}

TEST_F(HotkeyDialogTest, OkStoresAndCommitsAtOnce) {
    // A text service: Ctrl+Shift and Q.
    openRow(kPinyinRow, {act(Turn().radio(6).key(u"Q"))});
    EXPECT_EQ(hotkeys(), (StringList{u"Ctrl+Shift+Q", u"", u"Ctrl+2"}));
    EXPECT_TRUE(committed());
    EXPECT_EQ(text(kDirectSwitch + u"\\00001000", u"Modifiers"), u"0000C006");
    EXPECT_EQ(text(kDirectSwitch + u"\\00001000", u"virtualkey"), u"00000051");

    // An IMM input method: Ctrl on the left only, B.
    windows.calls.clear();
    openRow(kImmRow, {act(Turn().radio(2).right(false).key(u"B"))});
    EXPECT_EQ(form.ListView1.rows[kImmRow].fields[kFieldHotkey], u"左Ctrl+B");
    EXPECT_TRUE(committed());
    EXPECT_EQ(binary(kImmHotKeys + u"\\00000100", u"Key Modifiers"), 0x8002u);
    EXPECT_EQ(binary(kImmHotKeys + u"\\00000100", u"Virtual Key"), 0x42u);

    // A toggle: Shift on the right only keeps its key.
    windows.calls.clear();
    script({act(Turn().radio(4).left(false))});
    form.Button_SW1Click(1);
    EXPECT_EQ(form.Button_SW1.caption, u"右Shift+SPACE");
    EXPECT_TRUE(committed());
    EXPECT_EQ(binary(kImmHotKeys + u"\\00000010", u"Key Modifiers"), 0x4004u);
    EXPECT_EQ(binary(kImmHotKeys + u"\\00000010", u"Virtual Key"), 0x20u);
}

TEST_F(HotkeyDialogTest, NoneStoresNoHotkeyAndCommits) {
    openRow(kPinyinRow, {act(Turn().radio(0))});
    openRow(kImmRow, {act(Turn().radio(0))});
    script({act(Turn().radio(0))});
    form.Button_SW1Click(3);
    EXPECT_EQ(hotkeys(), (StringList{u"", u"", u"无"}));
    EXPECT_EQ(form.Button_SW3.caption, u"无");
    EXPECT_TRUE(committed());
    EXPECT_FALSE(exists(kDirectSwitch + u"\\00001000"));
    // The IMM row's "无" is written as no modifiers, which reads back as no hotkey.
    EXPECT_EQ(binary(kImmHotKeys + u"\\00000100", u"Key Modifiers"), 0u);
    EXPECT_EQ(binary(kImmHotKeys + u"\\00000012", u"Key Modifiers"), 0u);
    EXPECT_EQ(binary(kImmHotKeys + u"\\00000012", u"Virtual Key"), 0u);
}

TEST_F(HotkeyDialogTest, CancelEscapeAndCloseBoxChangeNothing) {
    const std::string before = user();
    // A choice made and then cancelled; the user closing the window (an empty script).
    openRow(kPinyinRow, {act(Turn().radio(6).key(u"Q").press(kIdCancel))});
    openRow(kImmRow, {});
    script({act(Turn().radio(0).press(kIdCancel))});
    form.Button_SW1Click(2);
    EXPECT_EQ(hotkeys(), (StringList{u"Ctrl+1", u"", u"Ctrl+2"}));
    EXPECT_EQ(captions(), (StringList{u"Ctrl+SPACE", u"左Alt+SPACE", u"Ctrl+."}));
    EXPECT_EQ(user(), before);
    EXPECT_FALSE(committed());
    EXPECT_EQ(windows.dialogs.modalsShown.size(), 3u);
}

TEST_F(HotkeyDialogTest, SidesAndModifierKeepEachOtherConsistent) {
    std::vector<std::tuple<int, bool, bool, bool>> states; // radio, left, right, keys enabled
    const auto record = [&](platform::ModalForm&) {
        states.emplace_back(dialog.RadioGroup1.itemIndex, dialog.CheckBox_left.checked,
                            dialog.CheckBox_right.checked, dialog.ComboBox1.enabled);
        return 0;
    };
    openRow(kImmRow, {act(Turn().radio(0).press(0)), record, act(Turn().radio(2).press(0)), record,
                      act(Turn().left(false).press(0)), record, act(Turn().right(false).press(0)),
                      record, act(Turn().right(true).press(0)), record, act(cancel())});
    EXPECT_EQ(states, (std::vector<std::tuple<int, bool, bool, bool>>{
                          {0, false, false, false}, // 无 clears the sides
                          {2, true, true, true},    // a modifier without sides takes both
                          {2, false, true, true},   // one side is enough
                          {0, false, false, false}, // no side is no modifier
                          {0, false, true, true},   // a side again enables the key list
                      }));

    // A text service's sides are hidden and stay set: choosing a modifier after 无 must make
    // the key list choosable all the same.
    states.clear();
    openRow(kPinyinRow, {act(Turn().radio(0).press(0)), record, act(Turn().radio(4).key(u"Z"))});
    EXPECT_EQ(states, (std::vector<std::tuple<int, bool, bool, bool>>{{0, false, false, false}}));
    EXPECT_EQ(form.ListView1.rows[kPinyinRow].fields[kFieldHotkey], u"Shift+Z");
    openRow(kPinyinRow, {act(Turn().radio(4).press(0)), record, act(cancel())});
    EXPECT_EQ(std::get<3>(states.back()), true);
}

TEST_F(HotkeyDialogTest, ConflictKeepsTheDialogOpen) {
    struct Case {
        int row; // or -1..-3 for a toggle button
        Turn turn;
        bool conflict;
        const char* why;
    };
    const Case cases[] = {
        {kImmRow, Turn().radio(6).key(u"1"), false, "free"},
        {kImmRow, Turn().radio(2).right(false).key(u"1"), true, "sides play no part: Ctrl+1"},
        {kImmRow, Turn().radio(2).right(false).key(u"A"), false, "左Ctrl+A is not Ctrl+A"},
        {kPinyinRow, Turn().radio(2).key(u"SPACE"), true, "Button_SW1 shows Ctrl+SPACE"},
        {kPinyinRow, Turn().radio(2).key(u"."), true, "Button_SW3 shows Ctrl+."},
        {kPinyinRow, Turn().radio(1).key(u"SPACE"), true, "Button_SW2 shows 左Alt+SPACE"},
        {kPinyinRow, Turn().radio(2).key(u"2"), true, "the IMM row shows Ctrl+2"},
        {kPinyinRow, Turn().radio(2).key(u"1"), false, "unchanged: oldkey"},
        {kPinyinRow, Turn().radio(0), false, "无 never conflicts"},
        {-2, Turn().radio(2).key(u"1"), true, "toggles check every row, the selected one too"},
        {-1, Turn().radio(2).key(u"SPACE"), false, "the toggle's own hotkey"},
        {-1, Turn().radio(2).right(false).key(u"."), true, "Button_SW3, whatever the sides"},
    };
    for (const Case& c : cases) {
        windows.dialogs.boxes.clear();
        for (int row = 0; row < 3; ++row) {
            form.ListView1.rows[static_cast<std::size_t>(row)].fields[kFieldHotkey] =
                StringList{u"Ctrl+1", u"左Ctrl+A", u"Ctrl+2"}[static_cast<std::size_t>(row)];
        }
        form.Button_SW1.caption = u"Ctrl+SPACE";
        form.Button_SW2.caption = u"左Alt+SPACE";
        form.Button_SW3.caption = u"Ctrl+.";
        const StringList shown = hotkeys();
        const StringList toggles = captions();
        form.ListView1.selected = kPinyinRow;
        std::vector<Step> steps = {act(c.turn)};
        if (c.conflict) {
            steps.push_back(act(cancel()));
        }
        script(steps);
        if (c.row >= 0) {
            form.ListView1.selected = c.row;
            form.Button_HotkeyClick();
        } else {
            form.Button_SW1Click(-c.row);
        }
        EXPECT_TRUE(windows.dialogs.modalSteps.empty()) << c.why;
        if (c.conflict) {
            ASSERT_EQ(windows.dialogs.boxes.size(), 1u) << c.why;
            EXPECT_EQ(windows.dialogs.boxes[0].text, u"热键冲突！");
            EXPECT_EQ(windows.dialogs.boxes[0].caption, u"提示");
            EXPECT_EQ(windows.dialogs.boxes[0].flags, platform::kMbIconWarning | platform::kMbOk);
            EXPECT_EQ(hotkeys(), shown) << c.why;
            EXPECT_EQ(captions(), toggles) << c.why;
        } else {
            EXPECT_TRUE(windows.dialogs.boxes.empty()) << c.why;
        }
    }
}

// A combination another program holds is asked about; No keeps the dialog open, Yes stores it.
// The probe asks Windows once per confirmation, with RegisterHotKey's modifier flags.
TEST_F(HotkeyDialogTest, AHotkeyAnotherProgramHoldsIsAskedAbout) {
    windows.hotkeys.taken.insert({6, 0x51}); // Ctrl+Shift+Q
    windows.calls.clear();
    windows.dialogs.answers = {platform::kIdNo, platform::kIdYes};
    openRow(kPinyinRow, {act(Turn().radio(6).key(u"Q")), act(Turn())});
    ASSERT_EQ(windows.dialogs.boxes.size(), 2u);
    for (const auto& box : windows.dialogs.boxes) {
        EXPECT_EQ(box.text, u"该热键已被其它程序占用，按下时可能不会切换到此输入法。仍要使用吗？");
        EXPECT_EQ(box.flags,
                  platform::kMbYesNo | platform::kMbIconQuestion | platform::kMbDefButton2);
    }
    EXPECT_EQ(std::count(windows.calls.begin(), windows.calls.end(), "HotkeyTaken(0x6, 0x51)"), 2);
    EXPECT_EQ(hotkeys(), (StringList{u"Ctrl+Shift+Q", u"", u"Ctrl+2"}));

    // A free combination asks nothing; the command line never asks.
    windows.dialogs.boxes.clear();
    openRow(kImmRow, {act(Turn().radio(2).right(false).key(u"B"))});
    EXPECT_TRUE(windows.dialogs.boxes.empty());
    windows.hotkeys.taken.insert({2, 0x43}); // Ctrl+C
    windows.system.commandLine = u"quillon.exe /hotkey_num:1 ctrl c";
    form.ReadParam(commandPieces(windows.system.commandLine));
    EXPECT_TRUE(windows.dialogs.boxes.empty());
    EXPECT_EQ(hotkeys().front(), u"Ctrl+C");
}

TEST_F(HotkeyDialogTest, ComparisonIsExactAndCaseSensitive) {
    form.ListView1.rows[kUsRow].fields[kFieldHotkey] = u"CTRL+Q";
    form.Button_SW2.caption = u"ctrl+Q";
    openRow(kImmRow, {act(Turn().radio(2).key(u"Q"))});
    EXPECT_TRUE(windows.dialogs.boxes.empty());
    EXPECT_EQ(form.ListView1.rows[kImmRow].fields[kFieldHotkey], u"Ctrl+Q");
}

TEST_F(HotkeyDialogTest, ModifierWithoutKeyIsRefusedBeforeClosing) {
    // A toggle whose key the list lacks opens without one; confirming a modifier alone would
    // store a hotkey that no commit can write.
    form.Button_SW1.caption = u"Ctrl";
    script({act(Turn().radio(2)), act(Turn().key(u"F2"))});
    form.Button_SW1Click(1);
    ASSERT_EQ(windows.dialogs.boxes.size(), 1u);
    EXPECT_EQ(windows.dialogs.boxes[0].text, u"请选择基本键。");
    EXPECT_EQ(form.Button_SW1.caption, u"Ctrl+F2");
    EXPECT_TRUE(committed());
}

TEST_F(HotkeyDialogTest, ModifierOutsideTheTableCannotOpen) {
    for (const ustring text : {u"Alt+A", u"右Alt+A", u"8+A"}) {
        form.ListView1.rows[kImmRow].fields[kFieldHotkey] = text;
        windows.dialogs.modalsShown.clear();
        form.ListView1.selected = kImmRow;
        try {
            form.Button_HotkeyClick();
            ADD_FAILURE() << toUtf8(text);
        } catch (const QuillonError& e) {
            EXPECT_EQ(e.message(), u"热键“" + text + u"”的控制键无法识别，不能在热键设置中打开。");
        }
        EXPECT_TRUE(windows.dialogs.modalsShown.empty()) << toUtf8(text);
        EXPECT_EQ(dialog.RadioGroup1.itemEnabled, kAllItems);
    }
    EXPECT_FALSE(committed());
}

TEST_F(HotkeyDialogTest, WithoutSelectedRowNothingOpens) {
    form.ListView1.selected = -1;
    form.Button_HotkeyClick();
    form.ListView1DblClick();
    EXPECT_TRUE(windows.dialogs.modalsShown.empty());
    EXPECT_TRUE(windows.calls.empty());
}

TEST_F(HotkeyDialogTest, DoubleClickOpensTheSelectedRow) {
    form.ListView1.selected = kImmRow;
    script({act(cancel())});
    form.ListView1DblClick();
    EXPECT_EQ(windows.dialogs.modalsShown, StringList{u"示例全拼输入法"});
}

TEST_F(HotkeyDialogTest, FailedCommitShowsWhatWindowsStillHolds) {
    const std::string before = user();
    // The first write of the new entry's key fails; the rollback's own writes succeed.
    bool failed = false;
    windows.registry.setWriteFault([&](const platform::RegWrite& write) {
        return write.name == u"virtualkey" && !std::exchange(failed, true);
    });
    form.ListView1.selected = kPinyinRow;
    script({act(Turn().radio(6).key(u"Q"))});
    EXPECT_THROW(form.Button_HotkeyClick(), QuillonError);
    windows.registry.setWriteFault(nullptr);
    EXPECT_EQ(user(), before);
    EXPECT_FALSE(committed());
    // The refresh shows the hotkey Windows kept, not the one that could not be saved.
    EXPECT_EQ(hotkeys(), (StringList{u"Ctrl+1", u"", u"Ctrl+2"}));
}

} // namespace
} // namespace quillon::testing
