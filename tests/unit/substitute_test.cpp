// A whole scripted scenario: registry, TSF profiles, PowerShell output and message-box answers
// in, every platform call out, and no real time spent.
#include "platform/substitute/substitute.h"
#include "sample_ids.h"

#include <gtest/gtest.h>

namespace quillon::platform {
namespace {

using quillon::testing::kKeyboardCat;
using quillon::testing::kPinyinClsid;
using quillon::testing::kPinyinProfile;

TEST(Substitute, ScriptsWindowsAndRecordsEveryCall) {
    Substitute windows;
    windows.loadReg("Windows Registry Editor Version 5.00\n"
                    "[HKEY_CURRENT_USER\\Keyboard Layout\\Toggle]\n"
                    "\"Hotkey\"=\"1\"\n");
    TfProfile p;
    p.profileType = kTfProfileTypeInputProcessor;
    p.langid = 0x0804;
    p.clsid = kPinyinClsid;
    p.guidProfile = kPinyinProfile;
    p.catid = kKeyboardCat;
    p.flags = 0;
    windows.addProfile({p, u"微软拼音"});
    windows.processes.runs.push_back({"LanguageTag : zh-CN\r\n", true, 1500});
    windows.dialogs.answers.push_back(kIdYes);
    Platform os = windows.platform();

    TRegistry reg(os.registry);
    ASSERT_TRUE(reg.OpenKey(u"\\Keyboard Layout\\Toggle", false));
    EXPECT_EQ(reg.ReadString(u"Hotkey"), u"1");

    std::unique_ptr<TfProfiles> profiles;
    ASSERT_EQ(os.tsf.CreateInputProcessorProfiles(profiles), 0);
    profiles->ActivateProfile(kTfProfileTypeInputProcessor, 0x0804, kPinyinClsid, kPinyinProfile, 0,
                              kTfIppmfEnableProfile);
    auto e = profiles->EnumProfiles(0x0804);
    TfProfile got;
    ASSERT_TRUE(e->Next(got));
    EXPECT_EQ(got.flags, kTfIppFlagEnabled); // the activation enabled it, as Windows does
    EXPECT_FALSE(e->Next(got));

    int serviced = 0;
    const std::uint32_t before = os.system.TickCount();
    const auto out = os.processes.RunCaptured(u"powershell.exe -command x", [&] { ++serviced; });
    EXPECT_TRUE(out.started);
    EXPECT_EQ(os.system.OemToText(out.bytes), u"LanguageTag : zh-CN\r\n");
    EXPECT_EQ(serviced, 15); // one per 100 ms wait
    EXPECT_EQ(os.system.TickCount() - before, 1500u);

    EXPECT_EQ(os.dialogs.MessageBox(u"删除?", u"Quillon", kMbYesNo | kMbIconQuestion), kIdYes);
    EXPECT_EQ(os.dialogs.MessageBox(u"再删除?", u"Quillon", kMbYesNo | kMbIconQuestion), kIdNo);
    os.layouts.UnloadKeyboardLayout(0xFFFFFFFFE0200804ull);
    os.processes.ShellExecute(u"open", u"powershell.exe", u"-command x", kSwHide);
    profiles.reset();

    EXPECT_EQ(windows.takeCalls(),
              (std::vector<std::string>{
                  "TF_CreateInputProcessorProfiles",
                  "ActivateProfile(1, 0804, {81D4E9C9-1D3B-41BC-9E6C-4B40BF79E35E}, "
                  "{FA550B04-5AD7-411F-A5AC-CA038EC515D7}, 0x0, 0x1)",
                  "EnumProfiles(0804)", "EnumNext", "EnumNext",
                  "RunCaptured(powershell.exe -command x)", "MessageBox(Quillon, 0x24)",
                  "MessageBox(Quillon, 0x24)", "UnloadKeyboardLayout(0xFFFFFFFFE0200804)",
                  "ShellExecute(open, powershell.exe, -command x, 0)", "ReleaseProfiles"}));
    EXPECT_EQ(windows.tsf.liveObjects, 0);
}

TEST(Substitute, MessageWaitUsesTheVirtualClockAndDeliversInput) {
    Substitute windows;
    Platform os = windows.platform();
    bool clicked = false;
    windows.messages.pendingInput.emplace_back(windows.clockMs + 2500, [&] { clicked = true; });
    auto event = os.messages.CreateEvent();
    EXPECT_EQ(windows.messages.openEvents, 1);
    const std::uint32_t start = os.system.TickCount();
    EXPECT_EQ(os.messages.MsgWaitForMultipleObjects(*event, 6000, kQsAllInput), 1u);
    EXPECT_EQ(os.system.TickCount() - start, 2500u);
    os.messages.ProcessMessages();
    EXPECT_TRUE(clicked);
    EXPECT_EQ(os.messages.MsgWaitForMultipleObjects(*event, 3500, kQsAllInput), kWaitTimeout);
    EXPECT_EQ(os.system.TickCount() - start, 6000u);
    event.reset();
    EXPECT_EQ(windows.messages.openEvents, 0);
}

TEST(Substitute, TsfFailuresAndUnregister) {
    Substitute windows;
    TfProfile p;
    p.langid = 0x0804;
    p.clsid = kPinyinClsid;
    windows.addProfile({p, std::nullopt});
    std::unique_ptr<TfProfiles> profiles;
    windows.tsf.createResult = static_cast<std::int32_t>(0x80004005u);
    EXPECT_NE(windows.tsf.CreateInputProcessorProfiles(profiles), 0);
    EXPECT_FALSE(profiles);
    windows.tsf.createResult = 0;
    windows.tsf.enumeratorMissing = true;
    ASSERT_EQ(windows.tsf.CreateInputProcessorProfiles(profiles), 0);
    EXPECT_FALSE(profiles->EnumProfiles(0x0804));
    EXPECT_FALSE(profiles->GetLanguageProfileDescription(kPinyinClsid, 0x0804, Guid{}));
    profiles->Unregister(kPinyinClsid);
    EXPECT_TRUE(windows.tsf.profiles.empty());
}

} // namespace
} // namespace quillon::platform
