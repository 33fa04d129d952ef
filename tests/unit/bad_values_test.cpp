// Bad values wherever Windows can hold them: every registry value the program reads, stored in
// every wrong form, on the end-to-end sample setup; the captured language query in odd shapes;
// TSF answering with errors and odd flags. A refresh never writes and never lets anything but
// its own error out: it shows what it could (the documented default) or says which value it
// could not read; a commit after it refuses or writes back what the window showed.
#include "app/tform1.h"
#include "core/error.h"
#include "files/config_file.h"
#include "platform/registry_errors.h"
#include "sample_setup.h"

#include <functional>
#include <gtest/gtest.h>
#include <sstream>

namespace quillon::testing {
namespace {

using platform::Hive;
using platform::RegValue;

// How a value is meant to be stored.
enum class Kind { Text, MultiText, Dword, Binary };

struct ReadValueCase {
    Hive hive;
    const char16_t* key;
    const char16_t* name;
    Kind kind;
    const char* readBy;
    // A text far too long is shown as Windows holds it (a layout's name, a language list of
    // thousands of tags): the window then differs from both references.
    bool longTextShown = false;
    // A value of one entry (a layout's name, one hotkey entry): in a wrong form it spoils that
    // entry alone, and the refresh never stops for it.
    bool perEntry = false;
};

// Every value the program reads, with what reads it. The refresh reads them all; the commit
// that follows reads the hotkey entries again ("LangId", "Target IME") and writes back the
// hotkeys and toggles as read; the per-window check box reads the mask before it writes it.
const ReadValueCase kValues[] = {
    {Hive::CurrentUser, u"Control Panel\\International\\User Profile", u"Languages",
     Kind::MultiText, "buildlanglist", true},
    {Hive::CurrentUser, u"Control Panel\\International\\User Profile", u"InputMethodOverride",
     Kind::Text, "getdefime"},
    {Hive::LocalMachine, u"SYSTEM\\CurrentControlSet\\Control\\Keyboard Layouts\\E0200804",
     u"Layout Text", Kind::Text, "getimename", true, true},
    {Hive::LocalMachine, u"SYSTEM\\CurrentControlSet\\Control\\Keyboard Layouts\\00000409",
     u"Layout Display Name", Kind::Text, "getimename", false, true},
    {Hive::CurrentUser, u"Software\\Microsoft\\CTF\\DirectSwitchHotkeys\\00001000", u"CLSID",
     Kind::Text, "gethotkey", false, true},
    {Hive::CurrentUser, u"Software\\Microsoft\\CTF\\DirectSwitchHotkeys\\00001000", u"Profile",
     Kind::Text, "gethotkey", false, true},
    {Hive::CurrentUser, u"Software\\Microsoft\\CTF\\DirectSwitchHotkeys\\00001000", u"Modifiers",
     Kind::Text, "gethotkey", false, true},
    {Hive::CurrentUser, u"Software\\Microsoft\\CTF\\DirectSwitchHotkeys\\00001000", u"virtualkey",
     Kind::Text, "gethotkey", false, true},
    {Hive::CurrentUser, u"Software\\Microsoft\\CTF\\DirectSwitchHotkeys\\00001000", u"LangId",
     Kind::Text, "gethotkey, commit (planHotkeys)", false, true},
    {Hive::CurrentUser, u"Control Panel\\Input Method\\Hot Keys\\00000100", u"Target IME",
     Kind::Binary, "gethotkey, commit", false, true},
    {Hive::CurrentUser, u"Control Panel\\Input Method\\Hot Keys\\00000100", u"Key Modifiers",
     Kind::Binary, "gethotkey", false, true},
    {Hive::CurrentUser, u"Control Panel\\Input Method\\Hot Keys\\00000100", u"Virtual Key",
     Kind::Binary, "gethotkey", false, true},
    {Hive::CurrentUser, u"Control Panel\\Input Method\\Hot Keys\\00000010", u"Key Modifiers",
     Kind::Binary, "getSWkey"},
    {Hive::CurrentUser, u"Control Panel\\Input Method\\Hot Keys\\00000010", u"Virtual Key",
     Kind::Binary, "getSWkey"},
    {Hive::CurrentUser, u"Keyboard Layout\\Toggle", u"Layout Hotkey", Kind::Text, "getswitchkey"},
    {Hive::CurrentUser, u"Keyboard Layout\\Toggle", u"Language Hotkey", Kind::Text, "getswitchkey"},
    {Hive::CurrentUser, u"Keyboard Layout", u"Attributes", Kind::Dword, "getswitchkey"},
    {Hive::CurrentUser, u"Control Panel\\Desktop", u"UserPreferencesMask", Kind::Binary,
     "readother, CheckBox1Click"},
    {Hive::CurrentUser, u"Software\\Microsoft\\Input\\Settings",
     u"EnableExpressiveInputEmojiMultipleSelection", Kind::Dword, "readother"},
};

// What the sample setup lacks of the values above.
const char* const kSampleAdditions = R"(Windows Registry Editor Version 5.00

[HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Control\Keyboard Layouts\00000409]
"Layout Display Name"="@%SystemRoot%\\system32\\input.dll,-5000"

[HKEY_CURRENT_USER\Keyboard Layout]
"Attributes"=dword:00010000

[HKEY_CURRENT_USER\Software\Microsoft\Input\Settings]
"EnableExpressiveInputEmojiMultipleSelection"=dword:00000000
)";

// The sample setup of the Wine tests, the IMM input method enabled too, started as a user
// starts the program.
struct Bed {
    // Without `immEnabled`, the sample setup exactly as the Wine tests import it.
    explicit Bed(bool immEnabled = true) {
        SampleSetup setup = SampleSetup::testBed();
        if (immEnabled) {
            setup.immEnabled().reg(kSampleAdditions);
        }
        setup.build(windows);
    }

    void start(std::string query = kSampleLanguageQueryOutput) {
        windows.processes.runs.push_back({std::move(query), true, 500});
        form.FormCreate();
    }

    // Runs a handler as the window's event boundary does: its own error is the message shown;
    // anything else escapes and fails the test.
    std::optional<ustring> run(const std::function<void()>& handler) {
        try {
            handler();
        } catch (const QuillonError& e) {
            return e.message();
        }
        return std::nullopt;
    }

    std::string registry() const {
        return windows.registry.dump(Hive::CurrentUser) + windows.registry.dump(Hive::LocalMachine);
    }

    // Everything the window shows that the registry decides.
    std::string view() const {
        std::ostringstream out;
        for (const ListView* list : {&form.ListView1, &form.ListView2}) {
            for (const auto& row : list->rows) {
                out << toUtf8(row.name);
                for (const ustring& field : row.fields) {
                    out << '|' << toUtf8(field);
                }
                out << '\n';
            }
            out << "--\n";
        }
        for (const ustring& item : form.ComboBox_Lang.items) {
            out << toUtf8(item) << ';';
        }
        out << form.ComboBox_Lang.itemIndex << ' ' << form.ComboBox1.itemIndex << ' '
            << form.ComboBox2.itemIndex << ' ' << form.ComboBox3.itemIndex << ' '
            << toUtf8(form.Button_SW1.caption) << ' ' << toUtf8(form.Button_SW2.caption) << ' '
            << toUtf8(form.Button_SW3.caption) << ' ' << form.CheckBox1.checked
            << form.CheckBox2.checked << form.CheckBox3.checked << " defime " << form.defime;
        return out.str();
    }

    platform::Substitute windows;
    TForm1 form{windows.platform()};
};

struct BadForm {
    std::string name;
    RegValue value;
};

// Each wrong type (the same bytes), an empty value, one byte short, far too long (64 KiB), and
// for texts one without its terminating NUL and one with an odd number of bytes.
std::vector<BadForm> badForms(const RegValue& good, Kind kind) {
    const std::pair<std::uint32_t, const char*> types[] = {
        {platform::kRegSz, "REG_SZ"},
        {platform::kRegExpandSz, "REG_EXPAND_SZ"},
        {platform::kRegBinary, "REG_BINARY"},
        {platform::kRegDword, "REG_DWORD"},
        {platform::kRegMultiSz, "REG_MULTI_SZ"},
        {platform::kRegQword, "REG_QWORD"},
        {platform::kRegNone, "REG_NONE"}};
    std::vector<BadForm> forms;
    for (const auto& [type, typeName] : types) {
        // REG_EXPAND_SZ is a text's other proper type.
        if (type != good.type && !(kind == Kind::Text && type == platform::kRegExpandSz)) {
            forms.push_back({std::string("as ") + typeName, {type, good.data}});
        }
    }
    forms.push_back({"empty", {good.type, {}}});
    const std::size_t size = good.data.size();
    RegValue shorter{good.type, {good.data.begin(), good.data.begin() + (size > 0 ? size - 1 : 0)}};
    forms.push_back({"one byte short", shorter});

    RegValue longer{good.type, {}};
    const bool text = kind == Kind::Text || kind == Kind::MultiText;
    // A text repeats its own characters, a list its own strings; numbers get 0xFF bytes after
    // their own.
    const std::size_t terminator = kind == Kind::MultiText ? 2 : (kind == Kind::Text ? 2 : 0);
    const std::vector<std::uint8_t> body(good.data.begin(), good.data.end() - terminator);
    if (text) {
        while (longer.data.size() < 65536) {
            longer.data.insert(longer.data.end(), body.begin(), body.end());
        }
        longer.data.insert(longer.data.end(), good.data.end() - terminator, good.data.end());
    } else {
        longer.data = good.data;
        longer.data.resize(65536, 0xFF);
    }
    forms.push_back({"64 KiB", longer});

    if (text) {
        RegValue noNul = good;
        noNul.data.resize(noNul.data.size() - 2);
        forms.push_back({"without its terminating NUL", noNul});
        RegValue odd = noNul;
        odd.data.push_back(0x41);
        forms.push_back({"odd byte count", odd});
    }
    return forms;
}

TEST(BadValues, EveryValueReadInEveryWrongForm) {
    for (const ReadValueCase& c : kValues) {
        const std::string where = toUtf8(c.key) + " \"" + toUtf8(c.name) + "\" (" + c.readBy + ")";
        // The two references: the sample as it is, and the value missing.
        Bed reference;
        reference.start();
        const auto good = reference.windows.registry.queryValue(c.hive, c.key, c.name);
        ASSERT_TRUE(good) << where;
        ASSERT_FALSE(reference.form.listsIncomplete) << where;
        const std::string goodView = reference.view();
        reference.windows.registry.removeValue(c.hive, c.key, c.name);
        ASSERT_FALSE(reference.run([&] { reference.form.Button_RefreshClick(); })) << where;
        const std::string missingView = reference.view();
        // A binary number shorter than four bytes reads as its zero extension, an empty one
        // as 0 (which targets the text services when it is a "Target IME").
        std::string zeroView = goodView;
        if (c.kind == Kind::Binary) {
            reference.windows.registry.put(c.hive, c.key, c.name,
                                           {platform::kRegBinary, {0, 0, 0, 0}});
            ASSERT_FALSE(reference.run([&] { reference.form.Button_RefreshClick(); })) << where;
            zeroView = reference.view();
        }
        // A hotkey entry that cannot be read shows as no entry at all.
        std::string droppedView = goodView;
        if (c.perEntry && ustring_view(c.key).find(u"Hot") != ustring_view::npos) {
            Bed dropped;
            dropped.start();
            dropped.windows.registry.deleteKeyTree(c.hive, c.key);
            ASSERT_FALSE(dropped.run([&] { dropped.form.Button_RefreshClick(); })) << where;
            droppedView = dropped.view();
        }

        for (const BadForm& form : badForms(*good, c.kind)) {
            SCOPED_TRACE(where + ", " + form.name);
            Bed bed;
            bed.start();
            bed.windows.registry.put(c.hive, c.key, c.name, form.value);
            const std::string before = bed.registry();
            const int writes = bed.windows.registry.writeCount();

            const auto message = bed.run([&] { bed.form.Button_RefreshClick(); });
            const auto namesValue = [&](const ustring& text) {
                return toUpper(text).find(u"“" + toUpper(c.name) + u"”") != ustring::npos;
            };
            EXPECT_EQ(bed.windows.registry.writeCount(), writes);
            EXPECT_EQ(bed.registry(), before);
            EXPECT_FALSE(c.perEntry && message) << toUtf8(message.value_or(u"").substr(0, 200));
            if (message) {
                // The user learns which value could not be read, and nothing commits on lists
                // that may lack what Windows holds.
                EXPECT_TRUE(namesValue(*message)) << toUtf8(message->substr(0, 200));
                EXPECT_LT(message->size(), 200u) << "a message box, not a page";
                EXPECT_TRUE(bed.form.listsIncomplete);
                EXPECT_TRUE(bed.run([&] { bed.form.Button_FixClick(); }));
                EXPECT_EQ(bed.registry(), before);
                continue;
            }
            EXPECT_FALSE(bed.form.listsIncomplete);
            const std::string shown = bed.view();
            if (!(c.longTextShown && form.name == "64 KiB")) {
                EXPECT_TRUE(shown == goodView || shown == missingView || shown == zeroView ||
                            shown == droppedView)
                    << shown;
            }

            // The commit writes back what the window shows, or refuses naming the value and
            // changes nothing.
            const auto commitMessage = bed.run([&] { bed.form.Button_FixClick(); });
            if (commitMessage) {
                EXPECT_LT(commitMessage->size(), 300u) << toUtf8(commitMessage->substr(0, 200));
                EXPECT_EQ(bed.registry(), before);
            } else {
                EXPECT_FALSE(bed.run([&] { bed.form.Button_RefreshClick(); }));
                EXPECT_EQ(bed.view(), shown);
            }

            // The configuration save reads every language the same way: it refuses as the
            // refresh does, or writes a file that a load takes.
            {
                Bed saving;
                saving.start();
                saving.windows.registry.put(c.hive, c.key, c.name, form.value);
                const std::string beforeSave = saving.registry();
                const ustring file = u"C:\\Users\\user\\setup.cfg";
                const auto saveMessage = saving.run([&] { saving.form.savecfg(file); });
                EXPECT_EQ(saving.registry(), beforeSave);
                EXPECT_TRUE(saving.windows.dialogs.boxes.empty());
                const auto saved = saving.windows.files.files.find(file);
                if (saveMessage) {
                    EXPECT_TRUE(namesValue(*saveMessage)) << toUtf8(saveMessage->substr(0, 200));
                    EXPECT_EQ(saved, saving.windows.files.files.end());
                } else {
                    ASSERT_NE(saved, saving.windows.files.files.end());
                    const ConfigFile config =
                        readConfig(saved->second, {u"0804", u"0409"}, saving.form.scancode);
                    EXPECT_FALSE(config.problem) << toUtf8(config.problem->what);
                }
            }

            if (c.name == ustring(u"UserPreferencesMask")) {
                // The check box writes the mask back at its own length, one byte changed.
                const auto read = bed.windows.registry.queryValue(c.hive, c.key, c.name);
                bed.form.CheckBox1.checked = !bed.form.CheckBox1.checked;
                const std::string beforeClick = bed.registry();
                const auto clickMessage = bed.run([&] { bed.form.CheckBox1Click(); });
                const auto written = bed.windows.registry.queryValue(c.hive, c.key, c.name);
                if (clickMessage) {
                    EXPECT_EQ(bed.registry(), beforeClick);
                } else if (!read->data.empty()) {
                    ASSERT_TRUE(written);
                    EXPECT_EQ(written->data.size(), read->data.size());
                    for (std::size_t i = 0; i < read->data.size(); ++i) {
                        if (i != 4) {
                            EXPECT_EQ(written->data[i], read->data[i]) << i;
                        }
                    }
                }
            }
        }
    }
}

// The captured language query in shapes PowerShell may leave: the refresh still lists every
// language, by its name where the output gave one and by its tag otherwise.
TEST(BadValues, LanguageQueryOutput) {
    const std::string sample = kSampleLanguageQueryOutput;
    // "国" is three bytes in the substitute's code page: cut after its first.
    const std::string cutInCharacter = sample.substr(0, sample.find("国)\r\n\r\n\r\n") + 1);
    std::string manyLines = "LanguageTag   : zh-Hans-CN\r\nLocalizedName : 中文\r\n";
    // Several MiB where a wrapped name could make the reading quadratic; one elsewhere.
    while (manyLines.size() < 2u << 20) {
        manyLines += "    continued text of a very long wrapped name\r\n";
    }
    std::string manyRecords;
    for (int i = 0; manyRecords.size() < 1u << 20; ++i) {
        manyRecords += "LanguageTag   : x-" + std::to_string(i) + "\r\nLocalizedName : 名" +
                       std::to_string(i) + "\r\n\r\n";
    }
    manyRecords += sample;
    const std::string oneLine(1u << 20, 'x');
    const std::string nuls("LanguageTag   : zh-Hans-CN\0\0\r\nLocalizedName : \0\r\n", 48);

    const struct {
        const char* name;
        std::string output;
        bool starts;
        std::vector<std::string> items;
    } cases[] = {
        {"the process cannot start", "", false, {"zh-Hans-CN", "en-US"}},
        {"empty", "", true, {"zh-Hans-CN", "en-US"}},
        {"only line breaks", "\r\n\n\r\r\n", true, {"zh-Hans-CN", "en-US"}},
        {"cut in a double-byte character",
         cutInCharacter,
         true,
         {"中文(中华人民共和国)", "英语(美\xEF\xBF\xBD"}},
        {"cut after a tag",
         sample.substr(0, sample.find("LocalizedName : 英")),
         true,
         {"中文(中华人民共和国)", "en-US"}},
        {"an error instead of the list",
         "get-WinUserLanguageList : The term 'get-WinUserLanguageList' is not recognized\r\n"
         "At line:1 char:5\r\n",
         true,
         {"zh-Hans-CN", "en-US"}},
        {"labels without values",
         "LanguageTag:\r\nLocalizedName:\r\n",
         true,
         {"zh-Hans-CN", "en-US"}},
        {"names before tags",
         "LocalizedName : 英语(美国)\r\nLanguageTag   : en-US\r\nLocalizedName : 中文\r\n",
         true,
         {"zh-Hans-CN", "英语(美国)"}},
        {"NUL bytes", nuls, true, {"zh-Hans-CN", "en-US"}},
        {"2 MiB of continuation lines", manyLines, true, {"", "en-US"}},
        {"1 MiB of other languages", manyRecords, true, {"中文(中华人民共和国)", "英语(美国)"}},
        {"1 MiB without a line break", oneLine, true, {"zh-Hans-CN", "en-US"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Bed bed;
        bed.windows.processes.runs.push_back({c.output, c.starts, 500});
        bed.windows.processes.runs.push_back({c.output, c.starts, 500});
        const std::string before = bed.registry();
        const auto message = bed.run([&] { bed.form.FormCreate(); });
        EXPECT_FALSE(message) << toUtf8(message.value_or(u""));
        EXPECT_EQ(bed.registry(), before);
        EXPECT_FALSE(bed.form.listsIncomplete);
        EXPECT_EQ(bed.form.ComboBox_Lang.itemIndex, 0);
        ASSERT_EQ(bed.form.ComboBox_Lang.items.size(), 2u);
        if (c.items[0].empty()) {
            // The wrapped name is joined back, however long.
            EXPECT_GT(bed.form.ComboBox_Lang.items[0].size(), 1000000u);
        } else {
            EXPECT_EQ(toUtf8(bed.form.ComboBox_Lang.items[0]), c.items[0]);
        }
        EXPECT_EQ(toUtf8(bed.form.ComboBox_Lang.items[1]), c.items[1]);
        EXPECT_EQ(bed.form.ListView1.count(), 3);
    }
}

// TSF failing or answering with flags the lists do not know: the refresh writes nothing; where
// it could not enumerate, every commit refuses and writes nothing either.
TEST(BadValues, TsfErrorsAndOddFlags) {
    const auto pinyinFlags = [](std::uint32_t flags) {
        return [flags](Bed& bed) { bed.windows.tsf.profiles[0].profile.flags = flags; };
    };
    const struct {
        const char* name;
        std::function<void(Bed&)> arrange;
        bool message;
        bool enumerated;
        int enabled;
        int disabled;
    } cases[] = {
        {"creation fails", [](Bed& bed) { bed.windows.tsf.createResult = -2147467259; }, false,
         false, 0, 2},
        {"no profile manager", [](Bed& bed) { bed.windows.tsf.offersProfileMgr = false; }, true,
         false, 0, 0},
        {"no enumerator", [](Bed& bed) { bed.windows.tsf.enumeratorMissing = true; }, false, false,
         0, 2},
        {"no description",
         [](Bed& bed) {
             for (auto& p : bed.windows.tsf.profiles) {
                 p.description.reset();
             }
         },
         false, true, 3, 1},
        {"flags 1 (active, not enabled)", pinyinFlags(1), false, true, 2, 1},
        {"flags 6 (enabled, substituted)", pinyinFlags(6), false, true, 2, 1},
        {"flags 0xFFFFFFFF", pinyinFlags(0xFFFFFFFFu), false, true, 2, 1},
        {"a layout handle of no layout",
         [](Bed& bed) { bed.windows.tsf.profiles[3].profile.hkl = 0xFFFFFFFF12345678ull; }, false,
         true, 3, 2},
        {"the same profile twice",
         [](Bed& bed) { bed.windows.tsf.profiles.push_back(bed.windows.tsf.profiles[0]); }, false,
         true, 4, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Bed bed;
        c.arrange(bed);
        const std::string before = bed.registry();
        bed.windows.processes.runs.push_back({kSampleLanguageQueryOutput, true, 500});
        const auto message = bed.run([&] { bed.form.FormCreate(); });
        EXPECT_EQ(message.has_value(), c.message);
        EXPECT_EQ(bed.registry(), before);
        EXPECT_EQ(bed.form.listsIncomplete, !c.enumerated);
        EXPECT_EQ(bed.form.ListView1.count(), c.enabled);
        EXPECT_EQ(bed.form.ListView2.count(), c.disabled);
        if (!c.enumerated) {
            EXPECT_TRUE(bed.run([&] { bed.form.Button_FixClick(); }));
            EXPECT_EQ(bed.registry(), before);
        }
    }
}

// The fixture the Wine test opens the window on: what the window shows and says there is
// decided here.
TEST(BadValues, TheWineFixture) {
    Bed bed(false);
    bed.windows.loadReg(readFixture("bad-values.reg"));
    const std::string before = bed.registry();
    const ustring unreadable =
        u"注册表值“EnableExpressiveInputEmojiMultipleSelection”的数据类型不正确。";
    bed.windows.processes.runs.push_back({kSampleLanguageQueryOutput, true, 500});
    EXPECT_EQ(bed.run([&] { bed.form.FormCreate(); }), unreadable);
    const std::string shown =
        "示例拼音输入法|{6A5B2C10-3E4F-4A7B-9C1D-2E3F4A5B6C7D}|0804|{34745C63-B2F0-4784-8B67-"
        "5E12C8701A31}|{6A5B2C11-3E4F-4A7B-9C1D-2E3F4A5B6C7D}|00000000|\n"
        "US|{00000000-0000-0000-0000-000000000000}|0804|{34745C63-B2F0-4784-8B67-5E12C8701A31}|{"
        "00000000-0000-0000-0000-000000000000}|04090804|\n--\n"
        "示例五笔输入法|{7B6C3D20-4F5A-4B8C-8D2E-3F4A5B6C7D8E}|0804|{34745C63-B2F0-4784-8B67-"
        "5E12C8701A31}|{7B6C3D21-4F5A-4B8C-8D2E-3F4A5B6C7D8E}|00000000|\n"
        "示例全拼输入法|{00000000-0000-0000-0000-000000000000}|0804|{34745C63-B2F0-4784-8B67-"
        "5E12C8701A31}|{00000000-0000-0000-0000-000000000000}|E0200804|\n--\n"
        "中文(中华人民共和国);英语(美国);0 -1 0 0 Ctrl+SPACE 左Alt Ctrl+. 000 defime -1";
    EXPECT_EQ(bed.view(), shown);
    EXPECT_TRUE(bed.form.listsIncomplete);
    EXPECT_EQ(bed.registry(), before);

    // Again on every refresh; the commit refuses meanwhile.
    EXPECT_EQ(bed.run([&] { bed.form.Button_RefreshClick(); }), unreadable);
    EXPECT_TRUE(bed.run([&] { bed.form.Button_FixClick(); }));
    EXPECT_EQ(bed.view(), shown);
    EXPECT_EQ(bed.registry(), before);

    // The user sets the emoji option: the value becomes a DWORD and the refresh reads it all.
    bed.form.CheckBox3.checked = true;
    EXPECT_FALSE(bed.run([&] { bed.form.CheckBox3Click(); }));
    EXPECT_FALSE(bed.run([&] { bed.form.Button_RefreshClick(); }));
    EXPECT_FALSE(bed.form.listsIncomplete);
    EXPECT_EQ(bed.form.defime, -1);
    EXPECT_EQ(bed.view(), shown.substr(0, shown.size() - 13) + "001 defime -1");
}

// Profile calls that fail change nothing in TSF; the program does not look at their results, and
// the refresh that follows shows what TSF holds.
TEST(BadValues, FailingProfileCalls) {
    Bed bed;
    bed.start();
    bed.windows.tsf.profileCallResult = -2147467259; // E_FAIL
    ASSERT_EQ(bed.form.ListView2.rows[0].name, u"示例五笔输入法");
    bed.form.ListView2.selected = 0;
    EXPECT_FALSE(bed.run([&] { bed.form.Button_EnableClick(); }));
    EXPECT_FALSE(bed.form.listsIncomplete);
    EXPECT_EQ(bed.form.ListView2.count(), 1);
    EXPECT_EQ(bed.form.ListView2.rows[0].name, u"示例五笔输入法");

    ASSERT_EQ(bed.form.ListView1.rows[0].name, u"示例拼音输入法");
    bed.form.ListView1.selected = 0;
    EXPECT_FALSE(bed.run([&] { bed.form.Button_DisableClick(); }));
    EXPECT_EQ(bed.form.ListView1.rows[0].name, u"示例拼音输入法");
}

// A hotkey on a key the table cannot name shows as its modifiers alone; the configuration file
// keeps the key's code, so that the file loads and gives Windows the same codes back.
TEST(BadValues, AKeyTheTableCannotNameSavesAndLoadsBack) {
    Bed bed;
    const RegValue f13{platform::kRegBinary, {0x7C, 0, 0, 0}};
    const ustring toggle = kImmHotKeys + u"\\00000010";
    const ustring imm = kImmHotKeys + u"\\00000100";
    const ustring textService = kDirectSwitch + u"\\00001000";
    bed.windows.registry.put(Hive::CurrentUser, toggle, u"Virtual Key", f13);
    bed.windows.registry.put(Hive::CurrentUser, imm, u"Virtual Key", f13);
    const RegValue f13Text{platform::kRegSz,
                           {'0', 0, '0', 0, '0', 0, '0', 0, '0', 0, '0', 0, '7', 0, 'C', 0, 0, 0}};
    bed.windows.registry.put(Hive::CurrentUser, textService, u"virtualkey", f13Text);
    bed.start();
    ASSERT_EQ(bed.form.Button_SW1.caption, u"Ctrl");
    ASSERT_EQ(bed.form.ListView1.rows[0].fields[kFieldHotkey], u"Ctrl");
    ASSERT_EQ(bed.form.ListView1.rows[2].fields[kFieldHotkey], u"Ctrl");

    const ustring file = u"C:\\Users\\user\\setup.cfg";
    ASSERT_FALSE(bed.run([&] { bed.form.savecfg(file); }));
    const std::string& saved = bed.windows.files.files[file];
    EXPECT_NE(saved.find("Ime/NonIme Toggle=Ctrl+7C"), std::string::npos) << saved;
    EXPECT_NE(saved.find("|E0200804|Ctrl+7C"), std::string::npos) << saved;
    EXPECT_NE(saved.find("|00000000|Ctrl+7C"), std::string::npos) << saved;

    // Another hotkey meanwhile; the load brings the saved one back, code for code.
    bed.windows.registry.put(Hive::CurrentUser, toggle, u"Virtual Key",
                             {platform::kRegBinary, {0x20, 0, 0, 0}});
    EXPECT_FALSE(bed.run([&] { bed.form.loadcfg(file); }));
    EXPECT_TRUE(bed.windows.dialogs.boxes.empty());
    EXPECT_EQ(bed.windows.registry.queryValue(Hive::CurrentUser, toggle, u"Virtual Key"), f13);
    // The text service's entry is written anew, its key code in the eight digits it had.
    platform::TRegistry reg(bed.windows.registry);
    bool found = false;
    StringList names;
    ASSERT_TRUE(reg.OpenKey(kDirectSwitch, false));
    reg.GetKeyNames(names);
    for (const ustring& name : names) {
        const auto value = bed.windows.registry.queryValue(
            Hive::CurrentUser, kDirectSwitch + u"\\" + name, u"VirtualKey");
        found = found || (value && *value == f13Text);
    }
    EXPECT_TRUE(found);
    bed.form.mylangid = 0x0804;
    ASSERT_FALSE(bed.run([&] { bed.form.Button_RefreshClick(); }));
    EXPECT_EQ(bed.form.Button_SW1.caption, u"Ctrl");
    EXPECT_EQ(bed.form.ListView1.rows[0].fields[kFieldHotkey], u"Ctrl");
    EXPECT_EQ(bed.form.ListView1.rows[2].fields[kFieldHotkey], u"Ctrl");
    EXPECT_FALSE(bed.run([&] { bed.form.savecfg(file); }));
    EXPECT_EQ(bed.windows.files.files[file], saved);
}

// A value's text in a message: whole when short, cut after 40 units otherwise, never inside a
// surrogate pair.
TEST(BadValues, QuotedValueTexts) {
    const ustring forty(40, u'x');
    const ustring pairAtTheCut = ustring(39, u'x') + u"\U0001F600" + u"yy";
    const std::pair<ustring, ustring> cases[] = {
        {u"", u""},
        {forty, forty},
        {forty + u"y", forty + u"……"},
        {pairAtTheCut, ustring(39, u'x') + u"……"},
    };
    for (const auto& [text, quoted] : cases) {
        EXPECT_EQ(platform::quotedData(text), quoted) << toUtf8(text);
    }
}

} // namespace
} // namespace quillon::testing
