// The machines the unit tests start from, built in one place: the small base setup (Microsoft
// Pinyin under Simplified Chinese, US English) and the test bed's sample setup, the one the Wine
// tests import, each with a few options where a test needs a different machine. Without the
// test framework, so that the fuzz targets can build machines of it too.
#pragma once

#include "fixture_files.h"
#include "platform/substitute/substitute.h"
#include "sample_ids.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace quillon::testing {

inline const char* const kBaseRegistry = R"(Windows Registry Editor Version 5.00

[HKEY_CURRENT_USER\Control Panel\International\User Profile]
"Languages"=hex(7):7a,00,68,00,2d,00,48,00,61,00,6e,00,73,00,2d,00,43,00,4e,00,00,00,65,00,6e,00,2d,00,55,00,53,00,00,00,00,00

[HKEY_CURRENT_USER\Control Panel\International\User Profile\zh-Hans-CN]
"CachedLanguageName"="@Winlangdb.dll,-1110"
"0804:{81D4E9C9-1D3B-41BC-9E6C-4B40BF79E35E}{FA550B04-5AD7-411F-A5AC-CA038EC515D7}"=dword:00000001

[HKEY_CURRENT_USER\Control Panel\International\User Profile\en-US]
"0409:00000409"=dword:00000001

[HKEY_CURRENT_USER\Software\Microsoft\CTF\Assemblies\0x00000804\{34745C63-B2F0-4784-8B67-5E12C8701A31}]
"Default"="{00000000-0000-0000-0000-000000000000}"

[HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Control\Keyboard Layouts\00000409]
"Layout Text"="US"
"Layout Display Name"="@%SystemRoot%\\system32\\input.dll,-5000"

[HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Control\Keyboard Layouts\00000804]
"Layout Text"="Chinese (Simplified) - US Keyboard"

[HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Control\Keyboard Layouts\E0200804]
"Layout Text"="中文 (简体) - 微软拼音 IMM"

[HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Control\Keyboard Layouts\E0200404]
"Layout Text"="Chinese (Traditional) IMM"
)";

struct LanguageName {
    std::string tag;
    std::string name;
};

// What the language query's Format-List prints for these languages, blank lines as PowerShell
// leaves them.
inline std::string languageQueryOutput(const std::vector<LanguageName>& languages) {
    std::string out = "\r\n\r\n";
    for (const LanguageName& language : languages) {
        out +=
            "LanguageTag   : " + language.tag + "\r\nLocalizedName : " + language.name + "\r\n\r\n";
    }
    return out + "\r\n";
}

// The query's answer on the base setup, English's name wrapped as PowerShell wraps a value
// wider than its console.
inline const std::string kLanguageQueryOutput =
    languageQueryOutput({{"zh-Hans-CN", "中文(中华人民共和国)"},
                         {"en-US", "English (United\r\n                States)"}});

// The answer of the test bed's PowerShell stand-in on the sample setup.
inline const std::string kSampleLanguageQueryOutput =
    languageQueryOutput({{"zh-Hans-CN", "中文(中华人民共和国)"}, {"en-US", "英语(美国)"}});

inline platform::TfProfile textService(std::uint16_t langid, const Guid& clsid, const Guid& profile,
                                       std::uint32_t flags) {
    platform::TfProfile p;
    p.profileType = platform::kTfProfileTypeInputProcessor;
    p.langid = langid;
    p.clsid = clsid;
    p.guidProfile = profile;
    p.catid = kKeyboardCat;
    p.flags = flags;
    return p;
}

inline platform::TfProfile layout(std::uint16_t langid, std::uint64_t hkl, std::uint32_t flags) {
    platform::TfProfile p;
    p.profileType = 2;
    p.langid = langid;
    p.catid = kKeyboardCat;
    p.hkl = hkl;
    p.flags = flags;
    return p;
}

// Where the program keeps its backups: %LOCALAPPDATA% of a user with a profile.
inline const ustring kLocalAppData = u"C:\\Users\\user\\AppData\\Local";
inline const ustring kBackupFolder = kLocalAppData + u"\\Quillon\\backups";

// The program as its command line begins.
inline const ustring kProgram = u"\"C:\\Program Files\\Quillon\\quillon.exe\" ";

// A machine for the substitute: the registry, the profiles TSF lists (in its order), the
// resource strings, the folders and the language query's answer.
class SampleSetup {
public:
    // Simplified Chinese with Microsoft Pinyin (enabled, and its Wubi profile not) and US
    // English with the US keyboard; the Chinese keyboard listed and not enabled.
    static SampleSetup base() {
        SampleSetup s;
        s.registry_ = {kBaseRegistry};
        s.inputMethods_ = {{textService(0x0804, kPinyinClsid, kPinyinProfile, 2), u"微软拼音"},
                           {textService(0x0804, kPinyinClsid, kWubiProfile, 0), u"微软五笔"}};
        s.keyboards_ = {{layout(0x0804, 0x08040804, 0), std::nullopt},
                        {layout(0x0409, 0x04090409, 2), std::nullopt}};
        s.query_ = kLanguageQueryOutput;
        s.queryMs_ = 800;
        return s;
    }

    // The sample setup exactly as the Wine tests import it (testbed/fixtures/sample.reg), with
    // the profiles the test bed's TSF stand-in derives from it: 示例拼音输入法 enabled,
    // 示例五笔输入法 not, the US keyboard enabled for both languages, the Chinese keyboard not.
    static SampleSetup testBed() {
        SampleSetup s;
        s.registry_ = {readFixture("sample.reg")};
        s.inputMethods_ = {
            {textService(0x0804, kSamplePinyinClsid, kSamplePinyinProfile, 2), u"示例拼音输入法"},
            {textService(0x0804, kSampleWubiClsid, kSampleWubiProfile, 0), u"示例五笔输入法"},
            {layout(0x0804, 0x04090804, 2), std::nullopt}};
        s.keyboards_ = {{layout(0x0804, 0x08040804, 0), std::nullopt},
                        {layout(0x0409, 0x04090409, 2), std::nullopt}};
        s.query_ = kSampleLanguageQueryOutput;
        s.queryMs_ = 500;
        return s;
    }

    // Registry content (a whole .reg text) loaded over the machine's own.
    SampleSetup& reg(std::string text) {
        registry_.push_back(std::move(text));
        return *this;
    }

    // Simplified Chinese's input methods as TSF lists them, in place of the machine's own.
    SampleSetup& inputMethods(std::vector<platform::ScriptedProfile> profiles) {
        inputMethods_ = std::move(profiles);
        return *this;
    }

    // A profile TSF lists after the machine's own.
    SampleSetup& profile(platform::ScriptedProfile p) {
        extras_.push_back(std::move(p));
        return *this;
    }

    // The test bed's IMM input method 示例全拼输入法 enabled, as the Wine tests' overlay
    // enables it (its hotkey Ctrl+2 then shows).
    SampleSetup& immEnabled() {
        reg(readFixture("imm-enabled.reg"));
        return profile(kImmEnabledProfile);
    }

    // The Japanese keyboard installed, and listed but not enabled under Simplified Chinese.
    SampleSetup& japaneseKeyboard() {
        reg("Windows Registry Editor Version 5.00\n\n"
            "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Keyboard Layouts\\"
            "00000411]\n\"Layout Text\"=\"Japanese\"\n");
        return profile({layout(0x0804, 0x04110804, 0), std::nullopt});
    }

    // A user with a profile folder, so that the backups before each change can be made.
    SampleSetup& backupFolder() {
        backupFolder_ = true;
        return *this;
    }

    void build(platform::Substitute& windows) const {
        for (const std::string& text : registry_) {
            windows.loadReg(text);
        }
        windows.system.indirectStrings[u"@%SystemRoot%\\system32\\input.dll,-5000"] = u"美式键盘";
        for (const auto* list : {&inputMethods_, &keyboards_, &extras_}) {
            for (const platform::ScriptedProfile& p : *list) {
                windows.addProfile(p);
            }
        }
        if (backupFolder_) {
            windows.system.localAppData = kLocalAppData;
            windows.files.directories.push_back(u"C:\\Users\\user\\AppData");
            windows.files.directories.push_back(kLocalAppData);
        }
    }

    // Answers the next language query as PowerShell does on this machine.
    void answerLanguageQuery(platform::Substitute& windows) const {
        windows.processes.runs.push_back({query_, true, queryMs_});
    }

    // The test bed's IMM input method enabled on a machine already built.
    static void enableImm(platform::Substitute& windows) {
        windows.loadReg(readFixture("imm-enabled.reg"));
        windows.addProfile(kImmEnabledProfile);
    }

private:
    inline static const platform::ScriptedProfile kImmEnabledProfile = {
        layout(0x0804, 0xFFFFFFFFE0200804ull, 2), std::nullopt};

    std::vector<std::string> registry_;
    std::vector<platform::ScriptedProfile> inputMethods_;
    std::vector<platform::ScriptedProfile> keyboards_;
    std::vector<platform::ScriptedProfile> extras_;
    std::string query_;
    std::uint32_t queryMs_ = 0;
    bool backupFolder_ = false;
};

} // namespace quillon::testing
