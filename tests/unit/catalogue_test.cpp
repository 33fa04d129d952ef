#include "app/form_values.h"
#include "core/error.h"
#include "core/version.h"
#include "files/setup_reader.h"
#include "form_fixture.h"
#include "setup/language_setup.h"

#include <functional>

namespace quillon::testing {
namespace {

using platform::Hive;

TEST_F(FormTest, InteractiveStartFillsListsAndCombo) {
    start();
    EXPECT_EQ(form.Caption, u"Quillon 输入法设置工具 " QUILLON_VERSION_TEXT);
    EXPECT_EQ(form.StatusBar1, u"就绪");
    EXPECT_EQ(form.mycatid, u"{34745C63-B2F0-4784-8B67-5E12C8701A31}");
    EXPECT_EQ(names(form.ListView1), (std::vector<std::string>{"微软拼音"}));
    // Disabled profiles in enumeration order (own layout 08040804 skipped), then the US
    // keyboard named through its display name, then the language's IMM input methods.
    EXPECT_EQ(names(form.ListView2),
              (std::vector<std::string>{"微软五笔", "美式键盘", "中文 (简体) - 微软拼音 IMM"}));
    const InputMethodEntry& us = form.ListView2.rows[1];
    EXPECT_EQ(us.fields, (std::array<ustring, 6>{nullGuidText(), u"0804",
                                                 u"{34745C63-B2F0-4784-8B67-5E12C8701A31}",
                                                 nullGuidText(), u"04090804", u""}));
    EXPECT_EQ(form.ListView1.rows[0].fields[kFieldHkl], u"00000000");
    EXPECT_EQ(form.ComboBox_Lang.items,
              (StringList{u"中文(中华人民共和国)", u"English(UnitedStates)"}));
    EXPECT_EQ(form.ComboBox_Lang.itemIndex, 0);
    EXPECT_EQ(form.lang.code, (StringList{u"0804", u"0409"}));
    EXPECT_EQ(form.ListView1.selected, 0);
    EXPECT_EQ(form.ListView2.selected, 0);
    EXPECT_FALSE(form.Button_Disable.enabled); // one enabled row
    EXPECT_TRUE(form.Button_Enable.enabled);
    EXPECT_EQ(form.defime, -1);
    EXPECT_EQ(form.systemMenuAppended.size(), 2u);
    EXPECT_TRUE(form.systemMenuAppended[1].checked);
}

// A language read from the platform alone is what the refresh shows of it, and reading every
// language changes nothing of the window: the shown language keeps its lists, its settings and
// the TSF object its lists were read with, and each language's object goes once it is read.
TEST_F(FormTest, ALanguageIsReadWithoutTheWindow) {
    start();
    const auto rowsOf = [](const EntryList& rows) {
        std::vector<std::array<ustring, 6>> out;
        for (const InputMethodEntry& row : rows) {
            out.push_back(row.fields);
        }
        return out;
    };
    LanguageSetup read;
    read.langid = 0x0804;
    readLanguageSetup(form.os(), form.scancode, read);
    EXPECT_TRUE(read.enumerated);
    EXPECT_EQ(rowsOf(read.enabled), rowsOf(form.ListView1.rows));
    EXPECT_EQ(rowsOf(read.disabled), rowsOf(form.ListView2.rows));
    EXPECT_EQ(read.catid, form.mycatid);
    EXPECT_EQ(read.defaultIndex, form.defime);
    EXPECT_EQ(read.switchKeys.layout, form.ComboBox1.itemIndex);
    EXPECT_EQ(read.toggles.texts[0], form.Button_SW1.caption);
    read = LanguageSetup();

    form.ListView2.selected = 1;
    const platform::TfProfiles* shownProfiles = form.profiles.get();
    const auto enabled = rowsOf(form.ListView1.rows);
    const auto disabled = rowsOf(form.ListView2.rows);
    const IniDocument document =
        readSetup(form.os(), form.lang.code, form.scancode, otherSettingsShown(form));
    EXPECT_NE(document.section(u"0409_list"), nullptr);
    EXPECT_EQ(form.mylangid, 0x0804);
    EXPECT_EQ(rowsOf(form.ListView1.rows), enabled);
    EXPECT_EQ(rowsOf(form.ListView2.rows), disabled);
    EXPECT_EQ(form.ListView2.selected, 1);
    EXPECT_EQ(form.profiles.get(), shownProfiles);
    EXPECT_EQ(form.ipm, shownProfiles);
    EXPECT_EQ(windows.tsf.liveObjects, 1);
}

TEST_F(FormTest, ProfileFlagsDecideTheList) {
    windows.tsf.profiles.clear();
    const std::pair<std::uint32_t, const char16_t*> cases[] = {{0, u"flags0"}, {1, u"flags1"},
                                                               {2, u"flags2"}, {3, u"flags3"},
                                                               {4, u"flags4"}, {6, u"flags6"}};
    std::uint32_t n = 0;
    for (const auto& [flags, name] : cases) {
        Guid profile;
        profile.data1 = ++n;
        windows.addProfile({textService(0x0804, kPinyinClsid, profile, flags), ustring(name)});
    }
    windows.addProfile({textService(0, kPinyinClsid, Guid{}, 2), u"no language"});
    start();
    EXPECT_EQ(names(form.ListView1), (std::vector<std::string>{"flags2", "flags3"}));
    EXPECT_EQ(form.ListView2.rows.front().name, u"flags0");
    EXPECT_EQ(form.ListView2.count(), 3); // flags0, the US keyboard, the IMM
}

TEST_F(FormTest, NoInputMethodIsListedTwice) {
    windows.tsf.profiles.clear();
    windows.addProfile({layout(0x0804, 0x04090804, 2), std::nullopt});
    windows.addProfile({layout(0x0804, 0xFFFFFFFFE0200804ull, 0), std::nullopt});
    start();
    EXPECT_EQ(names(form.ListView1), (std::vector<std::string>{"美式键盘"}));
    // The disabled IMM profile is listed by the enumeration; the registry's own row for it
    // would list it twice.
    EXPECT_EQ(names(form.ListView2), (std::vector<std::string>{"中文 (简体) - 微软拼音 IMM"}));
    EXPECT_EQ(form.ListView2.rows[0].fields[kFieldHkl], u"E0200804");
}

TEST_F(FormTest, LayoutsATextServiceStandsInForAreListedNowhere) {
    // Flags 6: enabled, substituted by a text service. Windows offers the text service in its
    // place, so the layout is no row of its own, and the registry's US keyboard and IMM rows
    // must not bring it back as a disabled one.
    windows.tsf.profiles.clear();
    windows.addProfile({textService(0x0804, kPinyinClsid, kPinyinProfile, 2), u"拼音"});
    windows.addProfile({layout(0x0804, 0x04090804, 6), std::nullopt});
    windows.addProfile({layout(0x0804, 0xFFFFFFFFE0200804ull, 4), std::nullopt});
    start();
    EXPECT_EQ(names(form.ListView1), (std::vector<std::string>{"拼音"}));
    EXPECT_TRUE(form.ListView2.rows.empty());
}

TEST_F(FormTest, GetdefimeForms) {
    windows.tsf.profiles.clear();
    windows.addProfile({layout(0x0804, 0x04090804, 2), std::nullopt});
    windows.addProfile({textService(0x0804, kPinyinClsid, kPinyinProfile, 2), u"微软拼音"});
    windows.addProfile({layout(0x0804, 0xE0200804u, 2), std::nullopt});
    const std::pair<const char16_t*, int> cases[] = {
        {u"0804:00000409", 0},
        {u"0804:{81D4E9C9-1D3B-41BC-9E6C-4B40BF79E35E}{FA550B04-5AD7-411F-A5AC-CA038EC515D7}", 1},
        {u"0804:E0200804", 2},
        {u"0409:00000409", -1}, // names 04090409: not in this language's list
        {u"0804:{81D4E9C9-1D3B-41BC-9E6C-4B40BF79E35E}{00000000-0000-0000-0000-000000000001}", -1},
        {u"garbage", -1},
    };
    start();
    for (const auto& [value, expected] : cases) {
        platform::TRegistry reg(windows.registry);
        ASSERT_TRUE(reg.OpenKey(u"\\Control Panel\\International\\User Profile", false));
        reg.WriteString(u"InputMethodOverride", value);
        EXPECT_EQ(form.getdefime(), expected) << toUtf8(value);
    }
    windows.registry.removeValue(Hive::CurrentUser, kUserProfile, u"InputMethodOverride");
    EXPECT_EQ(form.getdefime(), -1);
}

TEST_F(FormTest, ProfileFailuresKeepOldRowsButStillAddRegistryRows) {
    start();
    const EntryList enabledBefore = form.ListView1.rows;
    windows.tsf.createResult = static_cast<std::int32_t>(0x80004005u);
    form.Button_RefreshClick();
    EXPECT_EQ(form.ListView1.rows, enabledBefore);
    EXPECT_EQ(form.ListView2.count(), 3); // the old rows: the US keyboard and IMM not again
    EXPECT_EQ(form.ipm, nullptr);

    windows.tsf.createResult = 0;
    windows.tsf.enumeratorMissing = true;
    form.Button_RefreshClick();
    EXPECT_EQ(form.ListView1.rows, enabledBefore);
    EXPECT_NE(form.ipm, nullptr);

    windows.tsf.enumeratorMissing = false;
    windows.tsf.offersProfileMgr = false;
    EXPECT_THROW(form.Button_RefreshClick(), QuillonError);
}

// A refresh that ends early leaves lists that are not what Windows holds: the buttons follow
// the lists all the same, and nothing that commits will write them until a refresh succeeds.
TEST_F(FormTest, IncompleteListsAreNeverCommitted) {
    windows.tsf.profiles.clear();
    windows.addProfile({textService(0x0804, kPinyinClsid, kPinyinProfile, 2), u"微软拼音"});
    windows.addProfile({layout(0x0804, 0x04090804, 2), std::nullopt}); // named from the registry
    windows.addProfile({textService(0x0804, kPinyinClsid, kWubiProfile, 2), u"微软五笔"});
    start();
    ASSERT_EQ(form.ListView1.count(), 3);
    ASSERT_TRUE(form.Button_Down.enabled);
    ASSERT_TRUE(form.Button_Disable.enabled);

    const auto refused = [&](const char* what, const std::function<void()>& operation) {
        const std::string before = windows.registry.dump(Hive::CurrentUser);
        windows.calls.clear();
        try {
            operation();
            ADD_FAILURE() << what << ": not refused";
        } catch (const QuillonError& e) {
            EXPECT_NE(e.message().find(u"刷新"), ustring::npos) << what;
        }
        EXPECT_TRUE(windows.calls.empty()) << what;
        EXPECT_EQ(windows.registry.dump(Hive::CurrentUser), before) << what;
    };

    // Windows refuses the profile manager: the lists are an earlier refresh's.
    windows.tsf.offersProfileMgr = false;
    EXPECT_THROW(form.Button_RefreshClick(), QuillonError);
    EXPECT_TRUE(form.listsIncomplete);
    EXPECT_TRUE(form.Button_Down.enabled); // the buttons follow the lists shown
    windows.tsf.offersProfileMgr = true;
    form.ListView1.selected = 0;
    form.ListView2.selected = 0;
    form.ListView2.rows.push_back(form.ListView1.rows[0]);
    refused("commit", [&] { form.Button_FixClick(); });
    refused("move", [&] { form.Button_DownClick(); });
    refused("disable", [&] { form.Button_DisableClick(); });
    refused("enable", [&] { form.Button_EnableClick(); });
    refused("default", [&] { form.DefaultClick(); });
    refused("language list", [&] { form.N4Click(); });
    refused("delete", [&] { form.Button_DELClick(); });
    refused("disable all", [&] { form.disable_all_Click(); });

    // Without the profiles the enabled list is an earlier refresh's: shown, never committed.
    windows.system.indirectStrings[u"@%SystemRoot%\\system32\\input.dll,-5000"] = u"美式键盘";
    form.Button_RefreshClick();
    EXPECT_FALSE(form.listsIncomplete);
    windows.tsf.enumeratorMissing = true;
    form.Button_RefreshClick();
    refused("commit without profiles", [&] { form.Button_FixClick(); });

    windows.tsf.enumeratorMissing = false;
    form.Button_RefreshClick();
    EXPECT_FALSE(form.listsIncomplete);
    form.Button_FixClick();
}

// Refreshing while the language query of another refresh runs: each builds the language lists
// aside and puts them in place at once, so nothing is listed twice.
TEST_F(FormTest, RefreshDuringTheLanguageQueryListsEachLanguageOnce) {
    start();
    windows.loadReg("Windows Registry Editor Version 5.00\n"
                    "[HKEY_CURRENT_USER\\Control Panel\\International\\User Profile]\n"
                    "\"Languages\"=hex(7):7a,00,68,00,2d,00,48,00,61,00,6e,00,73,00,2d,00,43,00,"
                    "4e,00,00,00,65,00,6e,00,2d,00,55,00,53,00,00,00,6a,00,61,00,00,00,00,00\n");
    const std::string answer =
        std::string(kLanguageQueryOutput) + "LanguageTag   : ja\r\nLocalizedName : 日本語\r\n";
    windows.processes.runs.push_back({answer, true, 800});
    windows.processes.runs.push_back({answer, true, 800});
    bool nested = false;
    windows.messages.pendingInput.emplace_back(windows.clockMs + 100, [&] {
        nested = true;
        form.Button_RefreshClick();
    });
    form.Button_RefreshClick();
    ASSERT_TRUE(nested);
    EXPECT_EQ(form.ComboBox_Lang.items,
              (StringList{u"中文(中华人民共和国)", u"English(UnitedStates)", u"日本語"}));
    EXPECT_EQ(form.lang.text, form.ComboBox_Lang.items);
    EXPECT_EQ(form.lang.code.size(), 3u);
    EXPECT_EQ(form.lang.name.size(), 3u);
}

// A user without administrator rights cannot open the machine's keyboard layouts with full
// access: the text services are still listed and the US keyboard offered, but no IMM input
// method; deleting one goes on without a message, and the refresh shows it again.
TEST_F(FormTest, StandardUserWithoutFullAccessToTheMachine) {
    windows.registry.denyFullAccess(Hive::LocalMachine, kKeyboardLayouts);
    start();
    EXPECT_EQ(names(form.ListView1), (std::vector<std::string>{"微软拼音"}));
    ASSERT_EQ(form.ListView2.count(), 2);
    EXPECT_EQ(form.ListView2.rows[0].name, u"微软五笔");
    EXPECT_EQ(form.ListView2.rows[1].fields[kFieldHkl], u"04090804");
    EXPECT_TRUE(form.ListView2.rows[1].name.empty()); // its name is the machine's

    form.ListView2.rows.push_back(
        {u"IMM", {nullGuidText(), u"0804", form.mycatid, nullGuidText(), u"E0200804", u""}});
    form.ListView2.selected = 2;
    windows.dialogs.answers.push_back(platform::kIdYes);
    windows.calls.clear();
    form.Button_DELClick();
    EXPECT_EQ(windows.dialogs.boxes.size(), 1u); // the question only
    EXPECT_TRUE(windows.registry.keyExists(Hive::LocalMachine, kKeyboardLayouts + u"\\E0200804"));
    EXPECT_EQ(std::count(windows.calls.begin(), windows.calls.end(),
                         "UnloadKeyboardLayout(0xFFFFFFFFE0200804)"),
              1);
    EXPECT_EQ(form.ListView2.count(), 2); // refreshed
}

// A display name that cannot be loaded (a resource of a layout uninstalled badly, or
// "%SystemRoot%" left unexpanded) spoils only its own row's name: the "Layout Text" stands in,
// and the key's name where there is none either. The refresh completes and commits work.
TEST_F(FormTest, AnUnloadableDisplayNameFallsBackToTheLayoutText) {
    windows.system.indirectStrings.clear();
    windows.processes.runs.push_back({kLanguageQueryOutput, true, 800});
    form.FormCreate();
    EXPECT_EQ(names(form.ListView2),
              (std::vector<std::string>{"微软五笔", "US", "中文 (简体) - 微软拼音 IMM"}));
    EXPECT_FALSE(form.listsIncomplete);
    EXPECT_TRUE(windows.dialogs.boxes.empty());

    windows.registry.removeValue(Hive::LocalMachine, kKeyboardLayouts + u"\\00000409",
                                 u"Layout Text");
    form.Button_RefreshClick();
    EXPECT_EQ(names(form.ListView2),
              (std::vector<std::string>{"微软五笔", "00000409", "中文 (简体) - 微软拼音 IMM"}));
    EXPECT_NO_THROW(form.Button_FixClick());
}

TEST_F(FormTest, LanguageIdFromValueNamesAndMissingLanguages) {
    // A language key without an id value takes mylangid; a tag without a key too.
    windows.loadReg("Windows Registry Editor Version 5.00\n"
                    "[HKEY_CURRENT_USER\\Control Panel\\International\\User Profile]\n"
                    "\"Languages\"=hex(7):6a,00,61,00,00,00,78,00,00,00,00,00\n"
                    "[HKEY_CURRENT_USER\\Control Panel\\International\\User Profile\\ja]\n"
                    "\"CachedLanguageName\"=\"x\"\n"
                    "\"0411:{03B5835F-F03C-411B-9CE2-AA23E1171E36}{A76C93D9-5523-4E90-AAFA-"
                    "4DB112F9AC76}\"=dword:00000001\n");
    // Two tags but one name: the refresh asks PowerShell again, and gets the same answer.
    for (int i = 0; i < 2; ++i) {
        windows.processes.runs.push_back(
            {"\r\nLanguageTag   : ja\r\nLocalizedName : 日本語\r\n\r\n", true, 100});
    }
    form.FormCreate();
    EXPECT_EQ(form.lang.name, (StringList{u"ja", u"x"}));
    EXPECT_EQ(form.lang.code, (StringList{u"0411", u"0804"}));
    // "x" has no PowerShell name: shown by its tag, so items stay aligned with `code`.
    EXPECT_EQ(form.ComboBox_Lang.items, (StringList{u"日本語", u"x"}));
    EXPECT_EQ(form.ComboBox_Lang.itemIndex, 1);

    windows.registry.removeValue(Hive::CurrentUser, kUserProfile, u"Languages");
    form.Button_RefreshClick();
    EXPECT_TRUE(form.lang.code.empty());
    EXPECT_TRUE(form.ComboBox_Lang.items.empty());
    EXPECT_EQ(form.ComboBox_Lang.itemIndex, -1);
    EXPECT_EQ(form.ListView1.count(), 1); // the input methods are still listed
}

TEST_F(FormTest, LanguageQueryRunsAgainOnlyWhenTheCountChanges) {
    start();
    windows.takeCalls();
    form.Button_RefreshClick();
    for (const auto& call : windows.takeCalls()) {
        EXPECT_EQ(call.find("RunCaptured"), std::string::npos);
    }
    windows.loadReg("Windows Registry Editor Version 5.00\n"
                    "[HKEY_CURRENT_USER\\Control Panel\\International\\User Profile]\n"
                    "\"Languages\"=hex(7):7a,00,68,00,2d,00,68,00,61,00,6e,00,73,00,2d,00,63,00,"
                    "6e,00,00,00,65,00,6e,00,00,00,6a,00,61,00,00,00,00,00\n");
    windows.processes.runs.push_back({kLanguageQueryOutput, true, 800});
    form.Button_RefreshClick();
    const auto calls = windows.takeCalls();
    EXPECT_EQ(std::count_if(calls.begin(), calls.end(),
                            [](const std::string& c) { return c.rfind("RunCaptured", 0) == 0; }),
              1);
    // zh-hans-cn matches zh-Hans-CN regardless of case.
    EXPECT_EQ(form.ComboBox_Lang.items[0], u"中文(中华人民共和国)");
}

TEST_F(FormTest, QueryLanguageCommandAndParsing) {
    windows.processes.runs.push_back(
        {"\r\n\r\nLanguageTag   : zh-Hans-CN\r\nLocalizedName : 中文(中华人民共\r\n"
         "                和国)\r\nLanguageTag   : en-US\r\n\r\nLanguageTag   : fr\rLocalizedName "
         ": "
         "français\n\n",
         true, 100});
    EXPECT_EQ(form.QueryLanguage(),
              (StringList{u"zh-Hans-CN=中文(中华人民共和国)", u"en-US=français"}));
    EXPECT_EQ(windows.calls.back(),
              "RunCaptured(\"C:\\Windows\\system32\\WindowsPowerShell\\v1.0\\powershell.exe\" "
              "-command \"& {get-WinUserLanguageList | format-list -property "
              "languagetag,localizedname}\")");
    windows.processes.runs.push_back({"", false, 0});
    EXPECT_TRUE(form.QueryLanguage().empty());
}

TEST_F(FormTest, PickingALanguageShowsItsInputMethods) {
    start();
    form.ComboBox_Lang.itemIndex = 1;
    form.ComboBox_LangClick();
    EXPECT_EQ(form.mylangid, 0x0409);
    EXPECT_EQ(names(form.ListView1), (std::vector<std::string>{"美式键盘"}));
    EXPECT_EQ(form.ListView1.rows[0].fields[kFieldHkl], u"04090409");
    EXPECT_TRUE(form.ListView2.rows.empty()); // no 0409 IMM; US keyboard already enabled
    EXPECT_EQ(form.ComboBox_Lang.itemIndex, 1);
}

} // namespace
} // namespace quillon::testing
