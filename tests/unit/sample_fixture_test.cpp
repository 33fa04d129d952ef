// The end-to-end sample setup, loaded from the same file the Wine tests import: what the
// window shows is decided here from the registry alone, with the profiles the TSF stand-in
// derives from that registry scripted alongside.
#include "app/tform1.h"
#include "sample_setup.h"

#include <gtest/gtest.h>

namespace quillon::testing {
namespace {

TEST(SampleFixture, ShowsWhatTheWineTestsSee) {
    ASSERT_FALSE(readFixture("sample.reg").empty());
    platform::Substitute windows;
    const SampleSetup setup = SampleSetup::testBed();
    setup.build(windows);
    setup.answerLanguageQuery(windows);
    TForm1 form(windows.platform());
    form.FormCreate();

    ASSERT_EQ(form.ListView1.count(), 2);
    EXPECT_EQ(form.ListView1.rows[0].name, u"示例拼音输入法");
    EXPECT_EQ(form.ListView1.rows[0].fields[kFieldHotkey], u"Ctrl+1");
    EXPECT_EQ(form.ListView1.rows[1].name, u"US");
    ASSERT_EQ(form.ListView2.count(), 2);
    EXPECT_EQ(form.ListView2.rows[0].name, u"示例五笔输入法");
    EXPECT_EQ(form.ListView2.rows[1].name, u"示例全拼输入法");
    EXPECT_EQ(form.defime, 0);
    EXPECT_EQ(form.ComboBox_Lang.items, (StringList{u"中文(中华人民共和国)", u"英语(美国)"}));
    EXPECT_EQ(form.Button_SW1.caption, u"Ctrl+SPACE");
    EXPECT_EQ(form.ComboBox1.itemIndex, 1);
    EXPECT_FALSE(form.CheckBox1.checked);
    EXPECT_EQ(form.StatusBar1, u"就绪");

    // The overlay the hotkey test adds enables the IMM input method, whose hotkey then shows.
    SampleSetup::enableImm(windows);
    form.Button_RefreshClick();
    ASSERT_EQ(form.ListView1.count(), 3);
    EXPECT_EQ(form.ListView1.rows[2].fields[kFieldHotkey], u"Ctrl+2");
}

} // namespace
} // namespace quillon::testing
