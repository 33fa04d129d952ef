// The end-to-end sample setup, loaded from the same file the Wine tests import: what the
// window shows is decided here from the registry alone, with the profiles the TSF stand-in
// derives from that registry scripted alongside.
#include "fixture_files.h"
#include "form_fixture.h"
#include "platform/substitute/reg_text.h"

namespace quillon::testing {
namespace {

TEST(SampleFixture, ShowsWhatTheWineTestsSee) {
    const std::string sample = readFixture("sample.reg");
    ASSERT_FALSE(sample.empty());
    platform::Substitute windows;
    windows.loadReg(sample);
    addSampleTextServices(windows);
    windows.addProfile({layout(0x0804, 0x04090804, 2), std::nullopt});
    windows.addProfile({layout(0x0804, 0x08040804, 0), std::nullopt});
    windows.processes.runs.push_back({"\r\n\r\nLanguageTag   : zh-Hans-CN\r\nLocalizedName : "
                                      "中文(中华人民共和国)\r\n\r\nLanguageTag   : en-US\r\n"
                                      "LocalizedName : 英语(美国)\r\n\r\n\r\n",
                                      true, 500});
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
    windows.loadReg(readFixture("imm-enabled.reg"));
    windows.addProfile({layout(0x0804, 0xFFFFFFFFE0200804ull, 2), std::nullopt});
    form.Button_RefreshClick();
    ASSERT_EQ(form.ListView1.count(), 3);
    EXPECT_EQ(form.ListView1.rows[2].fields[kFieldHotkey], u"Ctrl+2");
}

} // namespace
} // namespace quillon::testing
