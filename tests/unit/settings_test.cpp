#include "core/error.h"
#include "form_fixture.h"

#include <optional>

namespace quillon::testing {
namespace {

using platform::Hive;
using platform::RegValue;
using Bytes = std::vector<std::uint8_t>;

const char16_t* const kMask = u"UserPreferencesMask";
const char16_t* const kEmoji = u"EnableExpressiveInputEmojiMultipleSelection";

const std::string kPowerShell =
    "ShellExecute(open, C:\\Windows\\system32\\WindowsPowerShell\\v1.0\\powershell.exe, ";

std::string languageBarRun(const std::string& switches) {
    return kPowerShell + "-command \"& {Set-WinLanguageBarOption" + switches + "}\", 0)";
}

RegValue dword(std::uint32_t v) {
    return {platform::kRegDword,
            {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
             static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 24)}};
}

// A mask as Windows 10 writes it, with the two bytes the program reads given.
Bytes maskWith(std::uint8_t byte4, std::uint8_t byte5) {
    return {0x9E, 0x1E, 0x07, 0x80, byte4, byte5, 0x07, 0x80};
}

class SettingsTest : public FormTest {
protected:
    SettingsTest() { windows.registry.createKey(Hive::CurrentUser, kKeyboardLayout); }

    void putMask(const Bytes& bytes, std::uint32_t type = platform::kRegBinary) {
        windows.registry.put(Hive::CurrentUser, kDesktop, kMask, RegValue{type, bytes});
    }
    std::optional<RegValue> value(const ustring& key, const char16_t* name) {
        return windows.registry.queryValue(Hive::CurrentUser, key, name);
    }
    void setBoxes(bool one, bool two) {
        form.CheckBox1.checked = one;
        form.CheckBox2.checked = two;
    }
};

TEST_F(SettingsTest, ReadotherRecognisesOnlyTheWholeBytes) {
    struct Case {
        std::uint8_t byte4, byte5;
        bool before1, before2, after1, after2;
    };
    const Case cases[] = {
        {0x12, 0x00, true, true, false, false}, {0x92, 0x01, false, false, true, true},
        {0x93, 0x03, true, false, true, false}, // neither byte is a state: both boxes stay
        {0x93, 0x03, false, true, false, true}, {0x02, 0x81, true, true, true, true},
    };
    for (const Case& c : cases) {
        putMask(maskWith(c.byte4, c.byte5));
        setBoxes(c.before1, c.before2);
        form.readother();
        EXPECT_EQ(form.CheckBox1.checked, c.after1) << int{c.byte4};
        EXPECT_EQ(form.CheckBox2.checked, c.after2) << int{c.byte5};
    }
}

TEST_F(SettingsTest, CheckBox1ClickWritesByte4AndRunsTheMatchingCommand) {
    struct Case {
        bool one, two;
        std::uint8_t byte4;
        const char* switches;
    };
    const Case cases[] = {
        {true, true, 0x92, " -UseLegacySwitchMode -UseLegacyLanguageBar"},
        {true, false, 0x92, " -UseLegacySwitchMode"},
        {false, true, 0x12, " -UseLegacyLanguageBar"},
        {false, false, 0x12, ""},
    };
    for (const Case& c : cases) {
        // Byte 5 disagrees with CheckBox2 on purpose: only the command changes the bar.
        putMask(maskWith(c.one ? 0x12 : 0x92, 0x00));
        windows.takeCalls();
        setBoxes(c.one, c.two);
        form.CheckBox1Click();
        EXPECT_EQ(value(kDesktop, kMask), (RegValue{platform::kRegBinary, maskWith(c.byte4, 0x00)}))
            << c.switches;
        EXPECT_EQ(windows.takeCalls(), std::vector<std::string>{languageBarRun(c.switches)});
    }
}

TEST_F(SettingsTest, MissingMaskWritesNothingButStillRunsTheCommand) {
    for (const bool keyPresent : {false, true}) {
        if (keyPresent) {
            windows.registry.createKey(Hive::CurrentUser, kDesktop);
        }
        setBoxes(true, false);
        form.readother();
        EXPECT_TRUE(form.CheckBox1.checked);
        EXPECT_FALSE(form.CheckBox2.checked);
        const int writes = windows.registry.writeCount();
        windows.takeCalls();
        form.CheckBox1Click();
        EXPECT_EQ(windows.registry.writeCount(), writes);
        EXPECT_FALSE(value(kDesktop, kMask));
        EXPECT_EQ(windows.takeCalls(),
                  std::vector<std::string>{languageBarRun(" -UseLegacySwitchMode")});
    }
}

TEST_F(SettingsTest, ShortMaskIsWrittenBackAtItsOwnLength) {
    struct Case {
        Bytes stored;
        bool shows1; // CheckBox1 after readother, from false
        Bytes written;
    };
    const Case cases[] = {
        {{0x9E, 0x1E, 0x07}, false, {0x9E, 0x1E, 0x07}},
        {{0x9E, 0x1E, 0x07, 0x80, 0x92}, true, {0x9E, 0x1E, 0x07, 0x80, 0x12}},
    };
    for (const Case& c : cases) {
        putMask(c.stored);
        setBoxes(false, true);
        form.readother();
        EXPECT_EQ(form.CheckBox1.checked, c.shows1);
        EXPECT_TRUE(form.CheckBox2.checked); // byte 5 is not there to read
        form.CheckBox1.checked = false;
        form.CheckBox1Click();
        EXPECT_EQ(value(kDesktop, kMask), (RegValue{platform::kRegBinary, c.written}));
    }
}

TEST_F(SettingsTest, UnreadableMaskStopsBeforeAnythingIsWrittenOrStarted) {
    const std::pair<RegValue, const char*> cases[] = {
        {{platform::kRegBinary, Bytes(9, 0x12)}, "nine bytes"},
        {{platform::kRegSz, {0x31, 0x00, 0x00, 0x00}}, "string"},
        {dword(0x12), "number"},
    };
    for (const auto& [stored, what] : cases) {
        windows.registry.put(Hive::CurrentUser, kDesktop, kMask, stored);
        setBoxes(true, false);
        EXPECT_THROW(form.readother(), QuillonError) << what;
        EXPECT_TRUE(form.CheckBox1.checked) << what;
        EXPECT_FALSE(form.CheckBox2.checked) << what;

        const int writes = windows.registry.writeCount();
        windows.takeCalls();
        try {
            form.CheckBox1Click();
            ADD_FAILURE() << what << ": no error";
        } catch (const QuillonError& e) {
            EXPECT_EQ(e.message(), u"注册表值“UserPreferencesMask”的数据类型不正确。");
        }
        EXPECT_EQ(windows.registry.writeCount(), writes) << what;
        EXPECT_TRUE(windows.takeCalls().empty()) << what;
        EXPECT_EQ(value(kDesktop, kMask), stored) << what;
    }
}

TEST_F(SettingsTest, EmojiBoxShowsOneOrAbsentAsChecked) {
    struct Case {
        bool keyPresent;
        std::optional<RegValue> stored;
        bool checked;
    };
    const Case cases[] = {
        {false, std::nullopt, true}, {true, std::nullopt, true}, {true, dword(1), true},
        {true, dword(0), false},     {true, dword(2), false},
    };
    for (const Case& c : cases) {
        windows.registry.removeKey(Hive::CurrentUser, kInputSettings);
        if (c.keyPresent) {
            windows.registry.createKey(Hive::CurrentUser, kInputSettings);
        }
        if (c.stored) {
            windows.registry.put(Hive::CurrentUser, kInputSettings, kEmoji, *c.stored);
        }
        form.CheckBox3.checked = !c.checked;
        form.readother();
        EXPECT_EQ(form.CheckBox3.checked, c.checked);
    }
    windows.registry.put(Hive::CurrentUser, kInputSettings, kEmoji,
                         RegValue{platform::kRegSz, {0x31, 0x00, 0x00, 0x00}});
    EXPECT_THROW(form.readother(), QuillonError);
}

TEST_F(SettingsTest, CheckBox3ClickCreatesTheKeyWhenAbsent) {
    ASSERT_FALSE(windows.registry.keyExists(Hive::CurrentUser, kInputSettings));
    form.CheckBox3.checked = false;
    form.CheckBox3Click();
    EXPECT_EQ(value(kInputSettings, kEmoji), dword(0));
    form.CheckBox3.checked = true;
    form.CheckBox3Click();
    EXPECT_EQ(value(kInputSettings, kEmoji), dword(1));
}

TEST_F(SettingsTest, ShiftThenCapsLock) {
    form.ComboBox3.itemIndex = 1;
    form.ComboBox3Change();
    EXPECT_EQ(value(kKeyboardLayout, u"Attributes"), dword(0x10000));
    form.ComboBox3.itemIndex = 0;
    form.ComboBox3Change();
    EXPECT_FALSE(value(kKeyboardLayout, u"Attributes"));
    // Again with nothing left to delete: the failed deletion does not stop the reset.
    form.ComboBox3Change();
    form.ComboBox3.itemIndex = -1;
    form.ComboBox3Change();
    EXPECT_EQ(windows.takeCalls(), (std::vector<std::string>{
                                       "ActivateKeyboardLayout(0x0, 0x40010000)",
                                       "ActivateKeyboardLayout(0x0, 0x40000000)",
                                       "ActivateKeyboardLayout(0x0, 0x40000000)",
                                   }));
}

TEST_F(SettingsTest, FailedWritesStopTheHandler) {
    windows.registry.setWriteFault(
        [](const platform::RegWrite& w) { return w.kind == platform::RegWrite::Kind::SetValue; });
    form.ComboBox3.itemIndex = 1;
    EXPECT_THROW(form.ComboBox3Change(), QuillonError);
    form.CheckBox3.checked = true;
    EXPECT_THROW(form.CheckBox3Click(), QuillonError);
    putMask(maskWith(0x12, 0x00));
    form.CheckBox1.checked = true;
    EXPECT_THROW(form.CheckBox1Click(), QuillonError);
    EXPECT_TRUE(windows.takeCalls().empty()); // no layout reset, no command
}

TEST_F(SettingsTest, RefreshShowsTheSettingsWithoutWritingThem) {
    putMask(maskWith(0x92, 0x01));
    windows.registry.put(Hive::CurrentUser, kInputSettings, kEmoji, dword(0));
    windows.registry.put(Hive::CurrentUser, kKeyboardLayout, u"Attributes", dword(0x10000));
    const auto settingsKeys = [this] {
        return windows.registry.dump(Hive::CurrentUser, kDesktop) +
               windows.registry.dump(Hive::CurrentUser, kInputSettings) +
               windows.registry.dump(Hive::CurrentUser, kKeyboardLayout);
    };
    const std::string before = settingsKeys();
    start();
    EXPECT_TRUE(form.CheckBox1.checked);
    EXPECT_TRUE(form.CheckBox2.checked);
    EXPECT_FALSE(form.CheckBox3.checked);
    EXPECT_EQ(settingsKeys(), before);
    for (const std::string& call : windows.takeCalls()) {
        EXPECT_EQ(call.find("Set-WinLanguageBarOption"), std::string::npos) << call;
        EXPECT_EQ(call.find("ActivateKeyboardLayout"), std::string::npos) << call;
    }

    // An unreadable mask ends the refresh with its error.
    putMask(Bytes(9, 0));
    EXPECT_THROW(form.Button_RefreshClick(), QuillonError);
}

} // namespace
} // namespace quillon::testing
