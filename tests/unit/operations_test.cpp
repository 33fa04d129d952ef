// Order and commit, enable and disable, the default input method, removal.
#include "core/error.h"
#include "fault_sweep.h"
#include "form_fixture.h"

#include <functional>
#include <map>
#include <optional>

namespace quillon::testing {
namespace {

using platform::Hive;

const char* const kReapply =
    "ShellExecute(open, C:\\Windows\\system32\\WindowsPowerShell\\v1.0\\powershell.exe, "
    "-command \"& {get-WinUserLanguageList | Set-WinUserLanguageList -Force}\", 0)";
const char* const kClearDefault =
    "ShellExecute(open, C:\\Windows\\system32\\WindowsPowerShell\\v1.0\\powershell.exe, "
    "-command \"& {Set-WinDefaultInputMethodOverride}\", 0)";
const ustring kProfileKey = kUserProfile + u"\\zh-Hans-CN";
const ustring kSortKey =
    u"Software\\Microsoft\\CTF\\SortOrder\\AssemblyItem\\0x00000804\\" + guidToText(kKeyboardCat);

InputMethodEntry row(const char* name, const ustring& clsid, const ustring& profile,
                     const ustring& hkl) {
    return InputMethodEntry{fromUtf8(name),
                            {clsid, u"0804", guidToText(kKeyboardCat), profile, hkl, u""}};
}

const InputMethodEntry kA =
    row("A", guidToText(kPinyinClsid), guidToText(kPinyinProfile), u"00000000");
const InputMethodEntry kB = row("B", nullGuidText(), nullGuidText(), u"04090804");
const InputMethodEntry kC = row("C", nullGuidText(), nullGuidText(), u"E0200804");

class OperationsTest : public FormTest {
protected:
    void SetUp() override {
        start();
        form.ListView1.rows = {kA, kB, kC};
        form.ListView1.selected = -1;
        windows.calls.clear();
    }

    int count(const std::string& call) const {
        return static_cast<int>(std::count(windows.calls.begin(), windows.calls.end(), call));
    }
    std::string names1() const {
        std::string out;
        for (const auto& r : form.ListView1.rows) {
            out += toUtf8(r.name);
        }
        return out;
    }
    std::unique_ptr<platform::TRegistry> key(const ustring& path) {
        auto reg = std::make_unique<platform::TRegistry>(windows.registry);
        EXPECT_TRUE(reg->OpenKey(u"\\" + path, false)) << toUtf8(path);
        return reg;
    }
    std::string state() const { return windows.registry.dump(Hive::CurrentUser); }
};

TEST_F(OperationsTest, MovesCarryTheDefaultAlong) {
    struct Case {
        bool up;
        int selected;
        const char* order;
        int defime;
    };
    const Case cases[] = {
        {false, 0, "BAC", 0}, {false, 1, "ACB", 2}, {true, 2, "ACB", 2}, {true, 1, "BAC", 0}};
    for (const Case& c : cases) {
        form.ListView1.rows = {kA, kB, kC};
        form.defime = 1;
        form.ListView1.selected = c.selected;
        windows.calls.clear();
        c.up ? form.Button_UpClick() : form.Button_DownClick();
        EXPECT_EQ(names1(), c.order) << c.selected;
        EXPECT_EQ(form.defime, c.defime) << c.selected;
        EXPECT_EQ(form.ListView1.selected, c.up ? c.selected - 1 : c.selected + 1);
        EXPECT_EQ(count(kReapply), 1);
        EXPECT_TRUE(form.Visible);
    }
    // Nothing selected: nothing moves, the default stays, and the commit still runs.
    form.ListView1.selected = -1;
    form.defime = 1;
    windows.calls.clear();
    form.Button_DownClick();
    EXPECT_EQ(form.defime, 1);
    EXPECT_EQ(count(kReapply), 1);
}

TEST_F(OperationsTest, MoveNumClampsAndCommitsOnce) {
    const InputMethodEntry d = row("D", nullGuidText(), nullGuidText(), u"E0210804");
    const InputMethodEntry e = row("E", nullGuidText(), nullGuidText(), u"E0220804");
    struct Case {
        std::vector<InputMethodEntry> rows;
        int n1, n2;
        const char* order;
        int commits;
    };
    const Case cases[] = {
        {{kA, kB, kC, d, e}, 3, 1, "CABDE", 1}, {{kA, kB, kC, d}, 2, 9, "ACDB", 1},
        {{kA, kB, kC, d}, 7, 1, "DABC", 1},     {{kA, kB, kC, d}, 0, 2, "ABCD", 0},
        {{kA, kB, kC, d}, 2, -1, "ABCD", 0},    {{kA, kB, kC, d}, 2, 2, "ABCD", 0},
    };
    for (const Case& c : cases) {
        form.ListView1.rows = c.rows;
        form.ListView1.selected = -1;
        windows.calls.clear();
        form.move_num(c.n1, c.n2);
        EXPECT_EQ(names1(), c.order) << c.n1 << "->" << c.n2;
        EXPECT_EQ(count(kReapply), c.commits) << c.n1 << "->" << c.n2;
    }
}

// One commit of the final order leaves Windows as a commit per place would, the default
// following its row.
TEST_F(OperationsTest, MoveOverSeveralPlacesEndsAsPlaceByPlace) {
    const InputMethodEntry d = row("D", nullGuidText(), nullGuidText(), u"E0210804");
    form.ListView1.rows = {kA, kB, kC, d};
    form.defime = 3;
    form.move_num(4, 1);
    const std::string once = state();
    EXPECT_EQ(names1(), "DABC");
    EXPECT_EQ(form.defime, 0);
    EXPECT_TRUE(form.Visible);

    form.ListView1.rows = {kA, kB, kC, d};
    form.defime = 3;
    form.ListView1.selected = 3;
    for (int i = 0; i < 3; ++i) {
        form.Button_UpClick();
    }
    EXPECT_EQ(names1(), "DABC");
    EXPECT_EQ(form.defime, 0);
    EXPECT_EQ(state(), once);
}

TEST_F(OperationsTest, CommitRewritesTheLanguage) {
    windows.loadReg(
        "Windows Registry Editor Version 5.00\n"
        "[HKEY_CURRENT_USER\\Control Panel\\International\\User Profile\\zh-Hans-CN]\n"
        "\"0804:00000409\"=dword:00000005\n"
        "\"Other\"=\"kept\"\n"
        "\"080\"=dword:00000001\n"
        "[HKEY_CURRENT_USER\\Software\\Microsoft\\CTF\\SortOrder\\AssemblyItem\\0x00000804\\"
        "{34745C63-B2F0-4784-8B67-5E12C8701A31}\\00000007]\n"
        "\"CLSID\"=\"x\"\n");
    form.ListView1.rows = {kC, kA};
    form.Button_FixClick();

    auto profile = key(kProfileKey);
    StringList names;
    profile->GetValueNames(names);
    EXPECT_EQ(names, (StringList{u"CachedLanguageName", u"Other", u"080", u"0804:E0200804",
                                 u"0804:{81D4E9C9-1D3B-41BC-9E6C-4B40BF79E35E}"
                                 u"{FA550B04-5AD7-411F-A5AC-CA038EC515D7}"}));
    EXPECT_EQ(profile->ReadInteger(u"0804:E0200804"), 1);
    auto sort = key(kSortKey);
    sort->GetKeyNames(names);
    EXPECT_EQ(names, (StringList{u"00000000", u"00000001"}));
    auto first = key(kSortKey + u"\\00000000");
    EXPECT_EQ(first->ReadString(u"CLSID"), nullGuidText());
    EXPECT_EQ(static_cast<std::uint32_t>(first->ReadInteger(u"KeyboardLayout")), 0xE0200804u);
    auto second = key(kSortKey + u"\\00000001");
    EXPECT_EQ(second->ReadString(u"Profile"), u"{FA550B04-5AD7-411F-A5AC-CA038EC515D7}");
    EXPECT_EQ(second->ReadInteger(u"KeyboardLayout"), 0);
    EXPECT_EQ(windows.calls.back(), kReapply);

    // The US keyboard row is named 0804:00000409 with layout 0x04090804.
    form.ListView1.rows = {kB};
    form.Button_FixClick();
    EXPECT_EQ(key(kProfileKey)->ReadInteger(u"0804:00000409"), 1);
    EXPECT_EQ(key(kSortKey + u"\\00000000")->ReadInteger(u"KeyboardLayout"), 0x04090804);

    // An empty list removes everything of the language and still re-applies.
    form.ListView1.rows.clear();
    windows.calls.clear();
    form.Button_FixClick();
    key(kProfileKey)->GetValueNames(names);
    EXPECT_EQ(names, (StringList{u"CachedLanguageName", u"Other", u"080"}));
    key(kSortKey)->GetKeyNames(names);
    EXPECT_TRUE(names.empty());
    EXPECT_EQ(count(kReapply), 1);
}

TEST_F(OperationsTest, CommitFailuresChangeNothing) {
    const std::string before = state();
    // A language that is not installed has no tag.
    form.mylangid = 0x0411;
    EXPECT_THROW(form.Button_FixClick(), QuillonError);
    form.mylangid = 0x0804;
    // A row whose field 4 is no number stops the commit before the first deletion.
    form.ListView1.rows = {kA, row("bad", nullGuidText(), nullGuidText(), u"XYZ")};
    try {
        form.Button_FixClick();
        FAIL() << "no error";
    } catch (const QuillonError& e) {
        EXPECT_NE(e.message().find(u"bad"), ustring::npos);
    }
    // A hotkey text that cannot be converted stops the commit before the first change.
    InputMethodEntry withHotkey = kC;
    withHotkey.fields[kFieldHotkey] = u"Hyper+Q";
    form.ListView1.rows = {kA, withHotkey};
    const int writesBefore = windows.registry.writeCount();
    EXPECT_THROW(form.Button_FixClick(), QuillonError);
    EXPECT_EQ(windows.registry.writeCount(), writesBefore);
    EXPECT_EQ(state(), before);
    // Without the user-profile key the first write fails naming its value.
    windows.registry.removeKey(Hive::CurrentUser, kProfileKey);
    const std::string withoutKey = state();
    form.ListView1.rows = {kA, kB};
    try {
        form.Button_FixClick();
        FAIL() << "no error";
    } catch (const QuillonError& e) {
        EXPECT_NE(e.message().find(u"0804:{81D4E9C9"), ustring::npos);
    }
    EXPECT_EQ(state(), withoutKey);
    EXPECT_EQ(count(kReapply), 0);
}

// A language whose key names no input method stands in with the shown language's id; listed
// before the shown language, it must not take its key.
TEST_F(FormTest, CommitWritesIntoTheShownLanguagesOwnKey) {
    const ustring english = kUserProfile + u"\\en-US";
    windows.registry.removeValue(Hive::CurrentUser, english, u"0409:00000409");
    windows.loadReg("Windows Registry Editor Version 5.00\n"
                    "[HKEY_CURRENT_USER\\Control Panel\\International\\User Profile]\n"
                    "\"Languages\"=hex(7):65,00,6e,00,2d,00,55,00,53,00,00,00,7a,00,68,00,2d,00,48,"
                    "00,61,00,6e,00,73,00,2d,00,43,00,4e,00,00,00,00,00\n"
                    "[HKEY_CURRENT_USER\\Control Panel\\International\\User Profile\\en-US]\n"
                    "\"CachedLanguageName\"=\"@Winlangdb.dll,-1033\"\n");
    start();
    EXPECT_EQ(form.lang.code, (StringList{u"0804", u"0804"}));
    EXPECT_EQ(form.ComboBox_Lang.itemIndex, 1);

    const std::string englishBefore = windows.registry.dump(Hive::CurrentUser, english);
    windows.registry.removeValue(Hive::CurrentUser, kUserProfile + u"\\zh-Hans-CN",
                                 u"0804:{81D4E9C9-1D3B-41BC-9E6C-4B40BF79E35E}"
                                 u"{FA550B04-5AD7-411F-A5AC-CA038EC515D7}");
    form.Button_FixClick();
    EXPECT_EQ(windows.registry.dump(Hive::CurrentUser, english), englishBefore);
    EXPECT_TRUE(windows.registry.queryValue(Hive::CurrentUser, kUserProfile + u"\\zh-Hans-CN",
                                            u"0804:{81D4E9C9-1D3B-41BC-9E6C-4B40BF79E35E}"
                                            u"{FA550B04-5AD7-411F-A5AC-CA038EC515D7}"));

    // Without the other language's key at all, the commit still finds its own.
    windows.registry.removeKey(Hive::CurrentUser, english);
    form.Button_RefreshClick();
    EXPECT_NO_THROW(form.Button_FixClick());
    EXPECT_FALSE(windows.registry.keyExists(Hive::CurrentUser, english));
}

// A system locale with a sort id (Chinese with stroke order is 0x00020804) still names the
// language 0804 in every key the commit clears and writes.
TEST_F(FormTest, LocaleWithASortIdNamesTheLanguage) {
    windows.system.lcid = 0x00020804;
    windows.loadReg(
        "Windows Registry Editor Version 5.00\n"
        "[HKEY_CURRENT_USER\\Software\\Microsoft\\CTF\\SortOrder\\AssemblyItem\\0x00000804\\"
        "{34745C63-B2F0-4784-8B67-5E12C8701A31}\\00000005]\n"
        "\"CLSID\"=\"stale\"\n"
        "[HKEY_CURRENT_USER\\Control Panel\\Input Method\\Hot Keys\\00000010]\n"
        "\"Key Modifiers\"=hex:04,c0,00,00\n"
        "\"Virtual Key\"=hex:20,00,00,00\n"
        "\"Target IME\"=hex:00,00,00,00\n"
        "[HKEY_CURRENT_USER\\Software\\Microsoft\\CTF\\DirectSwitchHotkeys\\00001000]\n"
        "\"CLSID\"=\"{81D4E9C9-1D3B-41BC-9E6C-4B40BF79E35E}\"\n"
        "\"LangId\"=\"00000804\"\n"
        "\"Profile\"=\"{FA550B04-5AD7-411F-A5AC-CA038EC515D7}\"\n"
        "\"Modifiers\"=\"0000C002\"\n"
        "\"VirtualKey\"=\"00000031\"\n");
    start();
    EXPECT_EQ(form.mylangid, 0x0804);
    EXPECT_EQ(form.Button_SW1.caption, u"Shift+SPACE");
    EXPECT_TRUE(form.Button_SW1.enabled);
    form.Button_SW1.caption = u"Ctrl+SPACE";
    form.Button_FixClick();
    EXPECT_EQ(windows.registry.subKeyNames(Hive::CurrentUser, kSortKey), StringList{u"00000000"});
    EXPECT_EQ(windows.registry
                  .queryValue(Hive::CurrentUser, kImmHotKeys + u"\\00000010", u"Key Modifiers")
                  ->data,
              (std::vector<std::uint8_t>{0x02, 0xC0, 0, 0}));
    EXPECT_EQ(windows.registry.subKeyNames(Hive::CurrentUser, kDirectSwitch),
              StringList{u"00001000"});
}

// Whatever the commit numbers under a category key, it cleared first: the shown category's
// key, and each key a row's own category names, with or without a shown category.
TEST_F(OperationsTest, EveryCategoryKeyWrittenIsClearedFirst) {
    for (const ustring& shown : {ustring(), ustring(u"{11111111-2222-3333-4444-555555555555}")}) {
        windows.registry.put(Hive::CurrentUser, kSortKey + u"\\00000007", u"CLSID",
                             {platform::kRegSz, {0x78, 0, 0, 0}});
        form.mycatid = shown;
        form.ListView1.rows = {kA, kC};
        form.Button_FixClick();
        EXPECT_EQ(windows.registry.subKeyNames(Hive::CurrentUser, kSortKey),
                  (StringList{u"00000000", u"00000001"}))
            << toUtf8(shown);
    }
}

// A commit leaves the language's keys as writing them anew would, but writes only what
// differs: one that changes nothing writes nothing, and an item holding something else is
// put right.
TEST_F(OperationsTest, CommitWritesOnlyWhatDiffers) {
    windows.registry.createKey(Hive::CurrentUser, kSortKey);
    form.Button_FixClick();
    const RegistryState written = registryState(windows.registry);
    const int writes = windows.registry.writeCount();
    windows.calls.clear();
    form.Button_FixClick();
    EXPECT_EQ(windows.registry.writeCount(), writes);
    EXPECT_EQ(registryState(windows.registry), written);
    EXPECT_EQ(count(kReapply), 1);

    const auto text = [](const char16_t* t) { return platform::stringValue(t); };
    windows.registry.put(Hive::CurrentUser, kSortKey + u"\\00000000", u"Extra", text(u"x"));
    windows.registry.createKey(Hive::CurrentUser, kSortKey + u"\\00000001\\Sub");
    windows.registry.removeValue(Hive::CurrentUser, kSortKey + u"\\00000002", u"CLSID");
    windows.registry.put(Hive::CurrentUser, kSortKey + u"\\00000002", u"clsid",
                         text(nullGuidText().c_str()));
    windows.registry.put(Hive::CurrentUser, kSortKey + u"\\00000003", u"CLSID", text(u"x"));
    windows.registry.put(Hive::CurrentUser, kProfileKey, u"0804:00000409", platform::dwordValue(9));
    windows.registry.put(Hive::CurrentUser, kProfileKey, u"0804:E0210804", platform::dwordValue(4));
    form.Button_FixClick();
    EXPECT_EQ(registryState(windows.registry), written);
}

// A row whose language-and-category key is missing gets no entry, and no key is made for it;
// the rows after it keep their own positions.
TEST_F(OperationsTest, RowWithoutItsCategoryKeyIsSkipped) {
    windows.registry.createKey(Hive::CurrentUser, kSortKey);
    InputMethodEntry elsewhere = row("X", nullGuidText(), nullGuidText(), u"E0210804");
    elsewhere.fields[kFieldCatid] = u"{99999999-9999-9999-9999-999999999999}";
    form.ListView1.rows = {kA, elsewhere, kC};
    form.Button_FixClick();
    EXPECT_EQ(windows.registry.subKeyNames(Hive::CurrentUser, kSortKey),
              (StringList{u"00000000", u"00000002"}));
    EXPECT_FALSE(windows.registry.keyExists(
        Hive::CurrentUser, u"Software\\Microsoft\\CTF\\SortOrder\\AssemblyItem\\0x00000804\\"
                           u"{99999999-9999-9999-9999-999999999999}"));
    EXPECT_EQ(key(kProfileKey)->ReadInteger(u"0804:E0210804"), 2);
}

// Fails the n-th registry write of a commit, for every n: the language's keys end exactly as
// before, and nothing is re-applied.
TEST(CommitFaults, AllOrNothingWhateverWriteFails) {
    const char* const kOldSortOrder =
        "Windows Registry Editor Version 5.00\n"
        "[HKEY_CURRENT_USER\\Software\\Microsoft\\CTF\\SortOrder\\AssemblyItem\\0x00000804\\"
        "{34745C63-B2F0-4784-8B67-5E12C8701A31}\\00000000]\n"
        "\"CLSID\"=\"old\"\n"
        "[HKEY_CURRENT_USER\\Software\\Microsoft\\CTF\\DirectSwitchHotkeys\\00001000]\n"
        "\"LangId\"=\"00000804\"\n";
    // Returns (state before, state after, number of writes, whether it failed).
    auto commit = [&](int failAt) {
        platform::Substitute windows;
        windows.loadReg(kBaseRegistry);
        windows.loadReg(kOldSortOrder);
        windows.system.indirectStrings[u"@%SystemRoot%\\system32\\input.dll,-5000"] = u"美式键盘";
        windows.processes.runs.push_back({kLanguageQueryOutput, true, 100});
        TForm1 form(windows.platform());
        form.FormCreate();
        form.ListView1.rows = {kC, kA, kB};
        const std::string before = windows.registry.dump(Hive::CurrentUser);
        int seen = 0;
        windows.registry.setWriteFault([&](const platform::RegWrite&) { return ++seen == failAt; });
        windows.calls.clear();
        bool failed = false;
        try {
            form.Button_FixClick();
        } catch (const QuillonError&) {
            failed = true;
        }
        windows.registry.setWriteFault(nullptr);
        const bool reapplied = std::count(windows.calls.begin(), windows.calls.end(), kReapply) > 0;
        EXPECT_NE(failed, reapplied) << failAt;
        return std::make_tuple(before, windows.registry.dump(Hive::CurrentUser), seen, failed);
    };
    const auto [before, intended, total, failed] = commit(0);
    ASSERT_FALSE(failed);
    ASSERT_NE(before, intended);
    ASSERT_GT(total, 5);
    for (int n = 1; n <= total; ++n) {
        const auto [start, after, writes, broke] = commit(n);
        EXPECT_TRUE(broke) << "write " << n;
        EXPECT_EQ(after, start) << "write " << n;
        (void)writes;
    }
}

// The registry text with each key's values in name order, by key path. A value put back joins
// the end of its key's list; Windows promises no order of values anyway.
std::map<std::string, std::string> byKey(const std::string& dump) {
    std::map<std::string, std::string> keys;
    std::map<std::string, std::vector<std::string>> lines;
    std::string current;
    std::size_t start = 0;
    while (start < dump.size()) {
        const std::size_t end = dump.find('\n', start);
        const std::string line = dump.substr(start, end - start);
        start = end == std::string::npos ? dump.size() : end + 1;
        if (!line.empty() && line.front() == '[') {
            current = line.substr(1, line.size() - 2);
            lines[current];
        } else {
            lines[current].push_back(line);
        }
    }
    for (auto& [path, values] : lines) {
        std::sort(values.begin(), values.end());
        for (const std::string& v : values) {
            keys[path] += v + "\n";
        }
    }
    return keys;
}

// A commit that changes every kind of thing it can (input-method values of several types, a
// sort-order entry with a sub-key, entries of both hotkey kinds, a toggle) fails at the n-th
// write, for every n: once only, or from then on, or from then on for writes but not for
// deletions (a full disk). The rollback puts back what differs, or its message names each key
// that still differs; what belongs to other languages is never touched.
TEST(CommitFaults, RollbackPutsBackWhatDiffersOrSaysWhatRemains) {
    const char* const kFixture = R"(Windows Registry Editor Version 5.00
[HKEY_CURRENT_USER\Control Panel\International\User Profile\zh-Hans-CN]
"0804:E0210804"=hex:01,02,03
"0804:00000411"=hex(b):01,00,00,00,00,00,00,00
"Extra"=hex(7):61,00,00,00,00,00
[HKEY_CURRENT_USER\Software\Microsoft\CTF\SortOrder\AssemblyItem\0x00000804\{34745C63-B2F0-4784-8B67-5E12C8701A31}\0000000a]
"CLSID"="old"
"Names"=hex(7):61,00,00,00,62,00,00,00,00,00
"Big"=hex(b):ff,ff,ff,ff,ff,ff,ff,7f
[HKEY_CURRENT_USER\Software\Microsoft\CTF\SortOrder\AssemblyItem\0x00000804\{34745C63-B2F0-4784-8B67-5E12C8701A31}\0000000a\Deeper]
"x"=hex:ff
[HKEY_CURRENT_USER\Software\Microsoft\CTF\DirectSwitchHotkeys\00001000]
"CLSID"="{81D4E9C9-1D3B-41BC-9E6C-4B40BF79E35E}"
"LangId"="00000804"
"Profile"="{FA550B04-5AD7-411F-A5AC-CA038EC515D7}"
"Modifiers"="0000C002"
"VirtualKey"="0000007C"
[HKEY_CURRENT_USER\Software\Microsoft\CTF\DirectSwitchHotkeys\00001001]
"LangId"="00000409"
"Extra"=hex(7):62,00,00,00,00,00
[HKEY_CURRENT_USER\Control Panel\Input Method\Hot Keys\00000100]
"Target IME"=hex:04,08,20,e0
"Key Modifiers"=hex:02,c0,00,00
"Virtual Key"=hex:32,00,00,00
"Note"=hex(7):63,00,00,00,00,00
[HKEY_CURRENT_USER\Control Panel\Input Method\Hot Keys\00000101]
"Target IME"=hex:09,04,09,04
"Key Modifiers"=hex:02,c0,00,00
"Virtual Key"=hex:33,00,00,00
[HKEY_CURRENT_USER\Control Panel\Input Method\Hot Keys\00000010]
"Key Modifiers"=hex:02,c0,00,00
"Virtual Key"=hex:20,00,00,00
"Target IME"=hex:00,00,00,00
"Q"=hex(b):01,02,03,04,05,06,07,08
[HKEY_CURRENT_USER\Control Panel\Input Method\Hot Keys\00000070]
"Key Modifiers"=hex:02,c0,00,00
"Virtual Key"=hex:20,00,00,00
"Target IME"=hex:00,00,00,00
)";
    // Keys no commit of 0804 may touch, or only in the values it owns.
    const std::vector<std::string> othersKeys = {
        "Control Panel\\International\\User Profile\\en-US",
        "Software\\Microsoft\\CTF\\DirectSwitchHotkeys\\00001001",
        "Control Panel\\Input Method\\Hot Keys\\00000101",
        "Control Panel\\Input Method\\Hot Keys\\00000070",
    };
    enum class Mode { Once, FromThenOn, WritesFromThenOn };
    struct Outcome {
        std::string before;
        std::string after;
        int writes;
        std::optional<ustring> error;
    };
    auto commit = [&](Mode mode, int failAt) {
        platform::Substitute windows;
        windows.loadReg(kBaseRegistry);
        windows.loadReg(kFixture);
        windows.addProfile({textService(0x0804, kPinyinClsid, kPinyinProfile, 2), u"微软拼音"});
        windows.system.indirectStrings[u"@%SystemRoot%\\system32\\input.dll,-5000"] = u"美式键盘";
        windows.processes.runs.push_back({kLanguageQueryOutput, true, 100});
        TForm1 form(windows.platform());
        form.FormCreate();
        // The text service keeps the hotkey read for it (its key F13 has no name); the IMM
        // input method gets a new one, the first toggle another.
        InputMethodEntry pinyin = kA;
        pinyin.fields[kFieldHotkey] = form.ListView1.rows.at(0).fields[kFieldHotkey];
        InputMethodEntry imm = kC;
        imm.fields[kFieldHotkey] = u"Ctrl+3";
        form.ListView1.rows = {imm, pinyin, kB};
        form.Button_SW1.caption = u"左Shift+SPACE";
        Outcome outcome;
        outcome.before = windows.registry.dump(Hive::CurrentUser);
        int seen = 0;
        windows.registry.setWriteFault([&](const platform::RegWrite& w) {
            ++seen;
            switch (mode) {
            case Mode::Once:
                return seen == failAt;
            case Mode::FromThenOn:
                return failAt > 0 && seen >= failAt;
            case Mode::WritesFromThenOn:
                break;
            }
            return failAt > 0 && seen >= failAt &&
                   (w.kind == platform::RegWrite::Kind::SetValue ||
                    w.kind == platform::RegWrite::Kind::CreateKey);
        });
        windows.calls.clear();
        try {
            form.Button_FixClick();
        } catch (const QuillonError& e) {
            outcome.error = e.message();
        }
        windows.registry.setWriteFault(nullptr);
        const bool reapplied = std::count(windows.calls.begin(), windows.calls.end(), kReapply) > 0;
        EXPECT_NE(outcome.error.has_value(), reapplied) << failAt;
        outcome.after = windows.registry.dump(Hive::CurrentUser);
        outcome.writes = seen;
        return outcome;
    };

    const Outcome clean = commit(Mode::Once, 0);
    ASSERT_FALSE(clean.error);
    ASSERT_NE(byKey(clean.before), byKey(clean.after));
    // The hotkey read from Windows went back where it stood, with the codes it was read from
    // and the spelling of its value's name.
    EXPECT_NE(byKey(clean.after)["Software\\Microsoft\\CTF\\DirectSwitchHotkeys\\00001000"].find(
                  "VirtualKey=1:30003000300030003000300037004300"
                  "0000\n"),
              std::string::npos);
    for (const Mode mode : {Mode::Once, Mode::FromThenOn, Mode::WritesFromThenOn}) {
        for (int n = 1; n <= clean.writes; ++n) {
            const std::string at =
                "mode " + std::to_string(static_cast<int>(mode)) + ", write " + std::to_string(n);
            const Outcome o = commit(mode, n);
            ASSERT_TRUE(o.error) << at;
            const auto before = byKey(o.before);
            const auto after = byKey(o.after);
            for (const std::string& path : othersKeys) {
                EXPECT_EQ(after.count(path) ? after.at(path) : "", before.at(path)) << at;
            }
            const auto profile =
                after.find("Control Panel\\International\\User Profile\\zh-Hans-CN");
            EXPECT_TRUE(profile != after.end() &&
                        profile->second.find("CachedLanguageName") != std::string::npos)
                << at;
            if (mode == Mode::Once) {
                EXPECT_EQ(after, before) << at;
            }
            const std::string message = toUtf8(*o.error);
            if (after == before) {
                EXPECT_NE(message.find("注册表已恢复为更改前的状态。"), std::string::npos) << at;
                continue;
            }
            EXPECT_NE(message.find("以下注册表内容未能恢复为更改前的状态："), std::string::npos)
                << at;
            // Each key that differs is named, itself or the key above it that could not be put
            // back.
            std::vector<std::string> differing;
            for (const auto& [path, values] : before) {
                if (!after.count(path) || after.at(path) != values) {
                    differing.push_back(path);
                }
            }
            for (const auto& [path, values] : after) {
                if (!before.count(path)) {
                    differing.push_back(path);
                }
            }
            for (const std::string& path : differing) {
                bool named = false;
                for (std::size_t cut = path.size(); cut != std::string::npos && !named;
                     cut = cut == 0 ? std::string::npos : path.rfind('\\', cut - 1)) {
                    const std::string listed = "HKEY_CURRENT_USER\\" + path.substr(0, cut);
                    for (std::size_t p = message.find(listed); p != std::string::npos && !named;
                         p = message.find(listed, p + 1)) {
                        const std::size_t next = p + listed.size();
                        named =
                            next == message.size() || message[next] == '\r' || message[next] == ' ';
                    }
                }
                EXPECT_TRUE(named) << at << ": " << path << " not named in\n" << message;
            }
        }
    }
}

TEST_F(OperationsTest, EnableTellsWindowsByKind) {
    windows.loadReg("Windows Registry Editor Version 5.00\n"
                    "[HKEY_CURRENT_USER\\Keyboard Layout\\Substitutes]\n");
    form.ListView1.rows = {kA};
    form.ListView2.rows = {
        kB, kC, row("Wubi", guidToText(kPinyinClsid), guidToText(kWubiProfile), u"00000000")};
    struct Case {
        int selected;
        std::string call;
        bool substitutes;
    };
    // Selected rows in the order they are enabled (each enable refreshes the lists, so the
    // rows are put back before each case).
    const Case cases[] = {
        {0, "", true},
        {1, "LoadKeyboardLayout(E0200804, 0x10)", false},
        {2,
         "ActivateProfile(1, 0804, {81D4E9C9-1D3B-41BC-9E6C-4B40BF79E35E}, "
         "{82590C13-F4DD-44F4-BA1D-8667246FDF8E}, 0x0, 0x1)",
         false},
    };
    for (const Case& c : cases) {
        windows.registry.removeKey(Hive::CurrentUser, kKeyboardLayout + u"\\Substitutes");
        windows.registry.createKey(Hive::CurrentUser, kKeyboardLayout + u"\\Substitutes");
        form.Button_RefreshClick();
        form.ListView1.rows = {kA};
        form.ListView2.rows = {
            kB, kC, row("Wubi", guidToText(kPinyinClsid), guidToText(kWubiProfile), u"00000000")};
        form.ListView2.selected = c.selected;
        windows.calls.clear();
        const std::uint32_t start = windows.clockMs;
        bool waitedDisabled = false;
        windows.messages.pendingInput.emplace_back(windows.clockMs + 1, [&] {
            waitedDisabled = !form.Enabled && form.StatusBar1 == u"处理键盘布局中，请等待六秒钟...";
        });
        form.ListView2DblClick();
        EXPECT_TRUE(waitedDisabled) << c.selected;
        EXPECT_GE(windows.clockMs - start, 6000u);
        EXPECT_EQ(form.StatusBar1, u"就绪");
        const bool called = c.call.empty() || count(c.call) == 1;
        EXPECT_TRUE(called) << c.call;
        EXPECT_EQ(count("LoadKeyboardLayout(E0200804, 0x10)"), c.selected == 1 ? 1 : 0);
        EXPECT_EQ(
            windows.registry
                .queryValue(Hive::CurrentUser, kKeyboardLayout + u"\\Substitutes", u"d0010804")
                .has_value(),
            c.substitutes);
        // Committed with the row at the end, before the refresh.
        EXPECT_EQ(count(kReapply), 1);
    }
}

TEST_F(OperationsTest, DisableTellsWindowsByKindAndClearsTheDefaultFirst) {
    form.ListView1.selected = 0;
    form.defime = 0;
    form.Button_DisableClick();
    const std::vector<std::string> expected = {
        "DeactivateProfile(1, 0804, {81D4E9C9-1D3B-41BC-9E6C-4B40BF79E35E}, "
        "{FA550B04-5AD7-411F-A5AC-CA038EC515D7}, 0x0, 0x10000000)",
        "DeactivateProfile(1, 0804, {81D4E9C9-1D3B-41BC-9E6C-4B40BF79E35E}, "
        "{FA550B04-5AD7-411F-A5AC-CA038EC515D7}, 0x0, 0x20000000)",
        "DeactivateProfile(1, 0804, {81D4E9C9-1D3B-41BC-9E6C-4B40BF79E35E}, "
        "{FA550B04-5AD7-411F-A5AC-CA038EC515D7}, 0x0, 0x2)"};
    auto at =
        std::search(windows.calls.begin(), windows.calls.end(), expected.begin(), expected.end());
    ASSERT_NE(at, windows.calls.end());
    // The default was cleared and committed (with the row) before Windows was told.
    const auto clear = std::find(windows.calls.begin(), windows.calls.end(), kClearDefault);
    ASSERT_NE(clear, windows.calls.end());
    EXPECT_LT(clear, at);
    EXPECT_LT(std::find(windows.calls.begin(), windows.calls.end(), kReapply), at);
    EXPECT_EQ(count(kReapply), 2);

    for (const auto& [hkl, handle] :
         {std::pair<ustring, std::string>{u"E0200804", "0xFFFFFFFFE0200804"},
          {u"04090804", "0x4090804"}}) {
        form.ListView1.rows = {kA, row("L", nullGuidText(), nullGuidText(), hkl)};
        form.ListView1.selected = 1;
        form.defime = 0;
        windows.calls.clear();
        form.Button_DisableClick();
        EXPECT_EQ(count("UnloadKeyboardLayout(" + handle + ")"), 1);
        EXPECT_EQ(count(kClearDefault), 0); // not the default: left alone
        EXPECT_EQ(count(kReapply), 1);
    }
}

TEST_F(OperationsTest, DisableWaitsSixSecondsWithTheWindowDisabled) {
    form.ListView1.selected = 2;
    const std::uint32_t start = windows.clockMs;
    bool waitedDisabled = false;
    windows.messages.pendingInput.emplace_back(windows.clockMs + 1, [&] {
        waitedDisabled = !form.Enabled && form.ScreenCursor == Cursor::HourGlass &&
                         form.StatusBar1 == u"处理键盘布局中，请等待六秒钟...";
    });
    form.Button_DisableClick();
    EXPECT_TRUE(waitedDisabled);
    EXPECT_GE(windows.clockMs - start, 6000u);
    EXPECT_LT(windows.clockMs - start, 7000u);
    EXPECT_TRUE(form.Enabled);
    EXPECT_EQ(form.ScreenCursor, Cursor::Default);
    EXPECT_EQ(form.StatusBar1, u"就绪");
    EXPECT_EQ(count("TF_CreateInputProcessorProfiles"), 1); // refreshed at the end
}

// A commit that fails inside enable or disable ends the operation: no wait, the window is not
// disabled, nothing is refreshed, and the error reaches the user.
TEST_F(OperationsTest, CommitErrorInsideEnableOrDisableEndsIt) {
    const std::function<void()> operations[] = {
        [&] {
            form.ListView2.rows = {kC};
            form.ListView2.selected = 0;
            form.Button_EnableClick();
        },
        [&] {
            form.ListView1.selected = 1;
            form.Button_DisableClick();
        },
    };
    for (const auto& operation : operations) {
        form.ListView1.rows = {kA, kB};
        windows.registry.setWriteFault([](const platform::RegWrite& w) {
            return w.kind == platform::RegWrite::Kind::SetValue;
        });
        windows.calls.clear();
        const std::uint32_t start = windows.clockMs;
        form.StatusBar1 = u"就绪";
        EXPECT_THROW(operation(), QuillonError);
        windows.registry.setWriteFault(nullptr);
        EXPECT_EQ(windows.clockMs, start);
        EXPECT_TRUE(form.Enabled);
        EXPECT_EQ(form.ScreenCursor, Cursor::Default);
        EXPECT_EQ(form.StatusBar1, u"就绪");
        EXPECT_EQ(count("TF_CreateInputProcessorProfiles"), 0);
        EXPECT_EQ(count(kReapply), 0);
    }
}

TEST_F(OperationsTest, DefaultIsExchangedWithTheFirstRow) {
    form.ListView1.selected = 2;
    form.DefaultClick();
    EXPECT_EQ(names1(), "CBA");
    EXPECT_EQ(form.defime, 0);
    EXPECT_EQ(
        count("ShellExecute(open, C:\\Windows\\system32\\WindowsPowerShell\\v1.0\\powershell.exe, "
              "-command \"& {Set-WinDefaultInputMethodOverride '0804:E0200804'}, 0)"),
        1);
    EXPECT_EQ(count(kReapply), 1);

    form.ListView1.rows = {kA, kB};
    form.ListView1.selected = 0;
    windows.calls.clear();
    form.DefaultClick();
    EXPECT_EQ(names1(), "AB");
    EXPECT_EQ(
        count("ShellExecute(open, C:\\Windows\\system32\\WindowsPowerShell\\v1.0\\powershell.exe, "
              "-command \"& {Set-WinDefaultInputMethodOverride '0804:"
              "{81D4E9C9-1D3B-41BC-9E6C-4B40BF79E35E}{FA550B04-5AD7-411F-A5AC-CA038EC515D7}'}, 0)"),
        1);
    form.ListView1.selected = 1;
    form.DefaultClick();
    EXPECT_EQ(windows.calls.back(), kReapply);
    EXPECT_EQ(
        count("ShellExecute(open, C:\\Windows\\system32\\WindowsPowerShell\\v1.0\\powershell.exe, "
              "-command \"& {Set-WinDefaultInputMethodOverride '0804:00000409'}, 0)"),
        1);

    form.defime = 2;
    windows.calls.clear();
    form.N4Click();
    EXPECT_EQ(form.defime, -1);
    EXPECT_EQ(windows.calls.front(), kClearDefault);
    EXPECT_EQ(count(kReapply), 1);
}

TEST_F(OperationsTest, NonCanonicalRowNeverReachesPowerShell) {
    form.ListView1.rows = {
        kA,
        row("evil", guidToText(kPinyinClsid),
            u"{FA550B04'}; Remove-Item C:\\ -Recurse; {'-5AD7-411F-A5AC-CA038EC515D7}",
            u"00000000"),
        row("evil2", nullGuidText(), nullGuidText(), u"E020'; x")};
    for (int i : {1, 2}) {
        form.ListView1.selected = i;
        windows.calls.clear();
        EXPECT_THROW(form.DefaultClick(), QuillonError);
        EXPECT_TRUE(windows.calls.empty());
        EXPECT_EQ(form.ListView1.rows[0].name, u"A");
    }
}

TEST_F(OperationsTest, DeleteAsksFirst) {
    windows.loadReg("Windows Registry Editor Version 5.00\n"
                    "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Keyboard "
                    "Layouts\\E0200804\\Sub]\n");
    form.ListView2.rows = {
        kC, row("Wubi", guidToText(kPinyinClsid), guidToText(kWubiProfile), u"00000000")};
    form.ListView2.selected = 0;
    form.Button_DELClick(); // answered No
    ASSERT_EQ(windows.dialogs.boxes.size(), 1u);
    EXPECT_EQ(windows.dialogs.boxes[0].caption, u"确认");
    EXPECT_EQ(windows.dialogs.boxes[0].flags, 0x124u);
    EXPECT_EQ(windows.dialogs.boxes[0].owner, platform::BoxOwner::MainWindow);
    EXPECT_EQ(windows.calls.size(), 1u);

    windows.dialogs.answers.push_back(platform::kIdYes);
    form.Button_DELClick();
    EXPECT_EQ(count("UnloadKeyboardLayout(0xFFFFFFFFE0200804)"), 1);
    EXPECT_FALSE(windows.registry.keyExists(Hive::LocalMachine, kKeyboardLayouts + u"\\E0200804"));
    EXPECT_EQ(count(kReapply), 1);

    form.ListView2.rows = {
        row("Wubi", guidToText(kPinyinClsid), guidToText(kWubiProfile), u"00000000")};
    form.ListView2.selected = 0;
    windows.dialogs.answers.push_back(platform::kIdYes);
    windows.calls.clear();
    form.Button_DELClick();
    EXPECT_EQ(count("Unregister({81D4E9C9-1D3B-41BC-9E6C-4B40BF79E35E})"), 1);
    EXPECT_TRUE(windows.tsf.profiles.empty() ||
                std::none_of(windows.tsf.profiles.begin(), windows.tsf.profiles.end(),
                             [](const platform::ScriptedProfile& p) {
                                 return p.profile.clsid == kPinyinClsid;
                             }));
    EXPECT_EQ(count(kReapply), 1);
    EXPECT_EQ(count("TF_CreateInputProcessorProfiles"), 1); // refreshed
}

TEST_F(OperationsTest, StubbornUsKeyboard) {
    form.N7Click(); // answered No
    EXPECT_EQ(windows.dialogs.boxes.back().flags, 0x24u);
    EXPECT_EQ(windows.dialogs.boxes.back().owner, platform::BoxOwner::MainWindow);
    EXPECT_EQ(count("UnloadKeyboardLayout(0x409)"), 0);
    windows.dialogs.answers.push_back(platform::kIdYes);
    form.N7Click();
    EXPECT_EQ(count("UnloadKeyboardLayout(0x409)"), 1);
    EXPECT_EQ(count(kReapply), 0);
    EXPECT_EQ(count("TF_CreateInputProcessorProfiles"), 1);
}

TEST_F(OperationsTest, DisableAll) {
    windows.addProfile({layout(0x0804, 0x04090804, 2), std::nullopt}); // the US keyboard, enabled
    form.defime = 1;
    const std::uint32_t start = windows.clockMs;
    bool waitedDisabled = false;
    std::string committed;
    windows.messages.pendingInput.emplace_back(windows.clockMs + 1, [&] {
        waitedDisabled = !form.Enabled && form.StatusBar1 == u"处理键盘布局中，请等待四秒钟...";
        committed = windows.registry.dump(Hive::CurrentUser, kProfileKey);
    });
    form.disable_all_Click();
    EXPECT_TRUE(waitedDisabled);
    EXPECT_EQ(form.StatusBar1, u"就绪");
    // The keyboard layout alone was committed; the refresh shows what Windows then holds.
    EXPECT_EQ(committed.find("0804:{"), std::string::npos);
    EXPECT_EQ(committed.find("0804:E0200804"), std::string::npos);
    EXPECT_NE(committed.find("0804:00000409=4:01000000"), std::string::npos);
    EXPECT_EQ(names(form.ListView1), (std::vector<std::string>{"美式键盘"}));
    EXPECT_EQ(names(form.ListView2),
              (std::vector<std::string>{"微软拼音", "微软五笔", "中文 (简体) - 微软拼音 IMM"}));
    EXPECT_EQ(form.defime, -1);
    const auto unload = std::find(windows.calls.begin(), windows.calls.end(),
                                  "UnloadKeyboardLayout(0xFFFFFFFFE0200804)");
    const auto deactivate =
        std::find_if(windows.calls.begin(), windows.calls.end(),
                     [](const std::string& c) { return c.rfind("DeactivateProfile", 0) == 0; });
    ASSERT_NE(unload, windows.calls.end());
    ASSERT_NE(deactivate, windows.calls.end());
    EXPECT_LT(unload, deactivate);
    EXPECT_EQ(windows.calls.front(), kClearDefault);
    EXPECT_GE(windows.clockMs - start, 4000u);
    EXPECT_LT(windows.clockMs - start, 6000u);

    // Only text services enabled, the US keyboard offered: it is enabled first.
    windows.loadReg("Windows Registry Editor Version 5.00\n"
                    "[HKEY_CURRENT_USER\\Keyboard Layout\\Substitutes]\n");
    form.ListView1.rows = {kA};
    form.ListView2.rows = {kC, kB};
    windows.calls.clear();
    form.disable_all_Click();
    EXPECT_TRUE(windows.registry.queryValue(Hive::CurrentUser, kKeyboardLayout + u"\\Substitutes",
                                            u"00000804"));
    EXPECT_EQ(count(kReapply), 1);

    // Nothing enabled and no layout offered: nothing at all.
    form.ListView1.rows.clear();
    form.ListView2.rows = {kC};
    windows.calls.clear();
    form.disable_all_Click();
    EXPECT_TRUE(windows.calls.empty());
}

} // namespace
} // namespace quillon::testing
