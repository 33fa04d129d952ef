// What assistive technology is told about the controls and the rows, and the rows in high
// contrast: kinds and the default in words, never by colour or weight alone.
#include "form_fixture.h"

namespace quillon::testing {
namespace {

InputMethodEntry row(const ustring& name, const ustring& clsid, const ustring& hkl) {
    InputMethodEntry e;
    e.name = name;
    e.fields[kFieldClsid] = clsid;
    e.fields[kFieldHkl] = hkl;
    return e;
}

TEST_F(FormTest, EveryUnlabelledControlHasAName) {
    form.Button_SW1.caption = u"Ctrl+SPACE";
    form.Button_SW2.caption = u"";
    struct Case {
        const Control* control;
        const char16_t* name;
    };
    const Case cases[] = {
        {&form.ListView1, u"启用的输入法"},
        {&form.ListView2, u"禁用的输入法"},
        {&form.SpeedButton1, u"帮助"},
        {&form.Button_SW1, u"打开/关闭输入法：Ctrl+SPACE"}, // the label and the key
        {&form.Button_SW2, u"全角/半角切换：无"},
        {&form.Button_Refresh, u""}, // its caption says it
        {&form.ComboBox1, u""},      // the label created before it says it
    };
    for (const Case& c : cases) {
        EXPECT_EQ(form.accessibleName(*c.control), c.name) << toUtf8(c.name);
    }
    form.SpeedButton1.hint = u"帮助。\r快捷键：F1。";
    EXPECT_EQ(form.accessibleDescription(form.SpeedButton1), u"帮助。 快捷键：F1。");
}

TEST_F(FormTest, RowsAreDescribedInWordsAndTheDefaultMarkedInHighContrast) {
    const ustring tip = guidToText(kPinyinClsid);
    form.ListView1.rows = {row(u"微软拼音", tip, u"00000000"),
                           row(u"美式键盘", nullGuidText(), u"04090804"),
                           row(u"全拼", nullGuidText(), u"E0200804")};
    form.ListView2.rows = form.ListView1.rows;
    form.defime = 2;
    const char16_t* const described[] = {u"TSF 输入法", u"美式键盘布局", u"IMM 输入法，默认输入法"};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(form.rowDescription(form.ListView1, i), described[i]) << i;
        EXPECT_EQ(form.rowCaption(form.ListView1, i), form.ListView1.rows[i].name) << i;
    }
    EXPECT_EQ(form.rowDescription(form.ListView2, 2), u"IMM 输入法"); // no default there
    EXPECT_EQ(form.rowDescription(form.ListView1, 3), u"");

    form.HighContrast = true;
    EXPECT_EQ(form.rowCaption(form.ListView1, 2), u"全拼（默认）");
    EXPECT_EQ(form.rowCaption(form.ListView2, 2), u"全拼");
    EXPECT_EQ(form.rowCaption(form.ListView1, 1), u"美式键盘");
    for (int i = 0; i < 3; ++i) {
        const RowStyle s1 = form.ListView1AdvancedCustomDrawItem(i);
        const RowStyle s2 = form.ListView2AdvancedCustomDrawItem(i);
        EXPECT_EQ(s1.color, kDefaultColor) << i; // no fixed blue or green
        EXPECT_EQ(s2.color, kDefaultColor) << i;
        EXPECT_EQ(s1.bold, i == 2) << i; // the default stays bold
    }
}

} // namespace
} // namespace quillon::testing
