// The test-bed stand-ins as the program meets them: msctf.dll loaded from the system folder and
// powershell.exe started by path and by bare name, in a prefix holding the sample fixture.
// Tests that need more registry state add it themselves and take it away again.
#include "platform/win32/win32_handles.h"
#include "standin_support.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <ole2.h>

#include <msctf.h>
#include <shellapi.h>

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

using namespace quillon;
using namespace quillon::testbed;

namespace {

// The sample fixture.
const ustring kPinyin = u"{6A5B2C10-3E4F-4A7B-9C1D-2E3F4A5B6C7D}";
const ustring kPinyinProfile = u"{6A5B2C11-3E4F-4A7B-9C1D-2E3F4A5B6C7D}";
const ustring kWubi = u"{7B6C3D20-4F5A-4B8C-8D2E-3F4A5B6C7D8E}";
const ustring kWubiProfile = u"{7B6C3D21-4F5A-4B8C-8D2E-3F4A5B6C7D8E}";
const ustring kCatKeyboard = u"{34745C63-B2F0-4784-8B67-5E12C8701A31}";
const ustring kCatDisplayAttribute = u"{046B8C80-1647-40F7-9B21-B93B81AABC1B}";
const ustring kNull = u"{00000000-0000-0000-0000-000000000000}";

const ustring kMachineTips = u"SOFTWARE\\Microsoft\\CTF\\TIP\\";
const ustring kUserTips = u"Software\\Microsoft\\CTF\\TIP\\";
const ustring kUserProfile = u"Control Panel\\International\\User Profile";
const ustring kLocalizedNames = u"Software\\QuillonTestBed\\LocalizedNames";

constexpr IID kIidProfileMgr = {
    0x71C6E74C, 0x0F28, 0x11D8, {0xA8, 0x2A, 0x00, 0x06, 0x5B, 0x84, 0x43, 0x5C}};
constexpr DWORD kInputProcessor = TF_PROFILETYPE_INPUTPROCESSOR;
constexpr DWORD kKeyboardLayout = TF_PROFILETYPE_KEYBOARDLAYOUT;
constexpr DWORD kEnableProfile = 1;
constexpr DWORD kDisableProfile = 2;
constexpr DWORD kForProcess = 0x10000000;
constexpr DWORD kForSession = 0x20000000;

GUID guid(const ustring& text) {
    const auto parsed = parseGuid(text);
    return parsed ? platform::win32::toGUID(*parsed) : GUID_NULL;
}

ustring languageKey(LANGID langid) {
    return u"0x" + hexText(langid, 8);
}

ustring machineProfileKey(const ustring& clsid, LANGID langid, const ustring& profile) {
    return kMachineTips + clsid + u"\\LanguageProfile\\" + languageKey(langid) + u"\\" + profile;
}
ustring userProfileKey(const ustring& clsid, LANGID langid, const ustring& profile) {
    return kUserTips + clsid + u"\\LanguageProfile\\" + languageKey(langid) + u"\\" + profile;
}

using platform::win32::Bstr;
using platform::win32::ComPtr;

// A registry key that a test adds and that is removed, with everything below it, at the end.
class ScopedTree {
public:
    ScopedTree(HKEY root, ustring path) : root_(root), path_(std::move(path)) {}
    ~ScopedTree() { deleteTree(root_, path_); }
    ScopedTree(const ScopedTree&) = delete;
    ScopedTree& operator=(const ScopedTree&) = delete;

private:
    HKEY root_;
    ustring path_;
};

// A registry value that a test changes and that gets its old content (or absence) back.
class SavedValue {
public:
    SavedValue(HKEY root, ustring path, ustring name)
        : root_(root), path_(std::move(path)), name_(std::move(name)) {
        const auto key = RegKey::open(root_, path_);
        DWORD size = 0;
        if (key && RegQueryValueExW(key.get(), wide(name_), nullptr, &type_, nullptr, &size) ==
                       ERROR_SUCCESS) {
            data_.resize(size);
            existed_ =
                RegQueryValueExW(key.get(), wide(name_), nullptr, &type_,
                                 reinterpret_cast<BYTE*>(data_.data()), &size) == ERROR_SUCCESS;
        }
    }
    ~SavedValue() {
        const auto key = RegKey::create(root_, path_);
        if (existed_) {
            RegSetValueExW(key.get(), wide(name_), 0, type_,
                           reinterpret_cast<const BYTE*>(data_.data()),
                           static_cast<DWORD>(data_.size()));
        } else {
            key.deleteValue(name_);
        }
    }
    SavedValue(const SavedValue&) = delete;
    SavedValue& operator=(const SavedValue&) = delete;

private:
    HKEY root_;
    ustring path_;
    ustring name_;
    DWORD type_ = 0;
    std::string data_;
    bool existed_ = false;
};

std::string readFileBytes(const ustring& path) {
    const Handle file(CreateFileW(wide(path), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    std::string bytes;
    if (!file) {
        return bytes;
    }
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file.get(), buffer, sizeof(buffer), &got, nullptr) && got > 0) {
        bytes.append(buffer, got);
    }
    return bytes;
}

// The lines a stand-in logs from now on.
class LogTail {
public:
    explicit LogTail(const ustring& fileName)
        : path_(logPath(fileName)), start_(readFileBytes(path_).size()) {}
    std::vector<std::string> lines() const {
        const std::string all = readFileBytes(path_);
        std::vector<std::string> out;
        std::string current;
        for (std::size_t i = start_; i < all.size(); ++i) {
            if (all[i] == '\n') {
                out.push_back(current);
                current.clear();
            } else {
                current.push_back(all[i]);
            }
        }
        return out;
    }

private:
    ustring path_;
    std::size_t start_;
};

// A profile as the enumeration delivers it, in the log's text forms.
struct Row {
    DWORD type = 0;
    std::string langid;
    std::string clsid;
    std::string profile;
    std::string catid;
    std::uint64_t hkl = 0;
    DWORD flags = 0;

    friend bool operator==(const Row& a, const Row& b) {
        return a.type == b.type && a.langid == b.langid && a.clsid == b.clsid &&
               a.profile == b.profile && a.catid == b.catid && a.hkl == b.hkl && a.flags == b.flags;
    }
    friend std::ostream& operator<<(std::ostream& os, const Row& r) {
        return os << "{" << r.type << ", " << r.langid << ", " << r.clsid << ", " << r.profile
                  << ", " << r.catid << ", 0x" << toUtf8(hexText(r.hkl, 16)) << ", " << r.flags
                  << "}";
    }
};

Row row(const TF_INPUTPROCESSORPROFILE& p) {
    return Row{p.dwProfileType,
               toUtf8(hexText(p.langid, 4)),
               toUtf8(guidText(p.clsid)),
               toUtf8(guidText(p.guidProfile)),
               toUtf8(guidText(p.catid)),
               static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(p.hkl)),
               p.dwFlags};
}

Row tip(const char* langid, const ustring& clsid, const ustring& profile, const ustring& catid,
        DWORD flags) {
    return Row{kInputProcessor, langid, toUtf8(clsid), toUtf8(profile), toUtf8(catid), 0, flags};
}

Row layout(const char* langid, std::uint64_t hkl, DWORD flags) {
    return Row{kKeyboardLayout,      langid, toUtf8(kNull), toUtf8(kNull),
               toUtf8(kCatKeyboard), hkl,    flags};
}

using CreateProfiles = HRESULT(WINAPI*)(ITfInputProcessorProfiles**);

class Tsf : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(library_.get(), nullptr);
        const auto create = reinterpret_cast<CreateProfiles>(reinterpret_cast<void*>(
            GetProcAddress(library_.get(), "TF_CreateInputProcessorProfiles")));
        ASSERT_NE(create, nullptr);
        ASSERT_EQ(create(profiles_.receive()), S_OK);
        ASSERT_EQ(
            profiles_->QueryInterface(kIidProfileMgr, reinterpret_cast<void**>(mgr_.receive())),
            S_OK);
    }

    std::vector<Row> enumerate(LANGID langid) {
        std::vector<Row> rows;
        ComPtr<IEnumTfInputProcessorProfiles> list;
        EXPECT_EQ(mgr_->EnumProfiles(langid, list.receive()), S_OK);
        if (list.get() == nullptr) {
            return rows;
        }
        TF_INPUTPROCESSORPROFILE p{};
        ULONG fetched = 0;
        while (list->Next(1, &p, &fetched) == S_OK && fetched == 1) {
            rows.push_back(row(p));
        }
        return rows;
    }

    std::uint32_t userEnable(const ustring& clsid, LANGID langid, const ustring& profile) {
        return RegKey::open(HKEY_CURRENT_USER, userProfileKey(clsid, langid, profile))
            .readDword(u"Enable")
            .value_or(0xFFFFFFFF);
    }

    platform::win32::Library library_ = platform::win32::Library::system(L"msctf.dll");
    ComPtr<ITfInputProcessorProfiles> profiles_;
    ComPtr<ITfInputProcessorProfileMgr> mgr_;
};

TEST_F(Tsf, TheSystemFoldersMsctfIsTheStandIn) {
    // Wine's own msctf exports the thread manager entry too; the stand-in exports one function.
    EXPECT_EQ(GetProcAddress(library_.get(), "TF_CreateThreadMgr"), nullptr);
    const LogTail log(u"msctf.log");
    ComPtr<ITfInputProcessorProfiles> another;
    const auto create = reinterpret_cast<CreateProfiles>(
        reinterpret_cast<void*>(GetProcAddress(library_.get(), "TF_CreateInputProcessorProfiles")));
    ASSERT_EQ(create(another.receive()), S_OK);
    another.reset();
    EXPECT_EQ(log.lines(),
              (std::vector<std::string>{"TF_CreateInputProcessorProfiles", "ReleaseProfiles"}));
}

TEST_F(Tsf, BothInterfacesShareOneIdentityAndOneCount) {
    ComPtr<IUnknown> fromProfiles;
    ComPtr<IUnknown> fromMgr;
    ASSERT_EQ(
        profiles_->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(fromProfiles.receive())),
        S_OK);
    ASSERT_EQ(mgr_->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(fromMgr.receive())),
              S_OK);
    EXPECT_EQ(fromProfiles.get(), fromMgr.get());

    ComPtr<ITfInputProcessorProfiles> back;
    ASSERT_EQ(mgr_->QueryInterface(IID_ITfInputProcessorProfiles,
                                   reinterpret_cast<void**>(back.receive())),
              S_OK);
    EXPECT_EQ(back.get(), profiles_.get());

    void* none = &none;
    EXPECT_EQ(profiles_->QueryInterface(IID_IClassFactory, &none), E_NOINTERFACE);
    EXPECT_EQ(none, nullptr);

    // profiles_, mgr_, fromProfiles, fromMgr and back hold five references.
    EXPECT_EQ(profiles_->AddRef(), 6u);
    EXPECT_EQ(mgr_->Release(), 5u);
}

TEST_F(Tsf, EnumeratesTheSampleFixture) {
    const Row pinyin = tip("0804", kPinyin, kPinyinProfile, kCatKeyboard, 2);
    const Row wubi = tip("0804", kWubi, kWubiProfile, kCatKeyboard, 0);
    const Row chineseLayout = layout("0804", 0x08040804, 0);
    const Row usLayout = layout("0409", 0x04090409, 2);
    const struct {
        LANGID langid;
        std::vector<Row> rows;
    } cases[] = {
        {0x0804, {pinyin, wubi, chineseLayout}},
        {0x0409, {usLayout}},
        {0, {pinyin, wubi, usLayout, chineseLayout}},
        {0x0411, {}},
    };
    for (const auto& c : cases) {
        const LogTail log(u"msctf.log");
        EXPECT_EQ(enumerate(c.langid), c.rows) << "language " << c.langid;
        const auto lines = log.lines();
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines.front(), "EnumProfiles(" + toUtf8(hexText(c.langid, 4)) + ")");
    }
}

TEST_F(Tsf, TextServiceFlagsAndCategories) {
    const ustring edge = u"{C0FFEE00-0000-4000-8000-000000000001}";
    const ustring bare = u"{C0FFEE00-0000-4000-8000-000000000002}";
    const ScopedTree machine(HKEY_LOCAL_MACHINE, kMachineTips + edge);
    const ScopedTree machineBare(HKEY_LOCAL_MACHINE, kMachineTips + bare);
    const ScopedTree user(HKEY_CURRENT_USER, kUserTips + edge);
    RegKey::create(HKEY_LOCAL_MACHINE,
                   kMachineTips + edge + u"\\Category\\Item\\" + kCatDisplayAttribute);

    const struct {
        ustring profile;
        std::optional<std::uint32_t> machineEnable;
        std::optional<std::uint32_t> userEnable;
        std::optional<std::uint32_t> standInFlags;
        DWORD flags;
    } cases[] = {
        {u"{E0000001-0000-4000-8000-000000000000}", 1, std::nullopt, std::nullopt, 2},
        {u"{E0000002-0000-4000-8000-000000000000}", 0, std::nullopt, std::nullopt, 0},
        {u"{E0000003-0000-4000-8000-000000000000}", std::nullopt, std::nullopt, std::nullopt, 0},
        {u"{E0000004-0000-4000-8000-000000000000}", 0, 1, std::nullopt, 2},
        {u"{E0000005-0000-4000-8000-000000000000}", 1, 0, std::nullopt, 0},
        {u"{E0000006-0000-4000-8000-000000000000}", 1, std::nullopt, 1, 1},
        {u"{E0000007-0000-4000-8000-000000000000}", 1, std::nullopt, 3, 3},
        {u"{E0000008-0000-4000-8000-000000000000}", 0, std::nullopt, 6, 6},
    };
    std::vector<Row> expected;
    for (const auto& c : cases) {
        const auto key =
            RegKey::create(HKEY_LOCAL_MACHINE, machineProfileKey(edge, 0x0404, c.profile));
        key.writeString(u"Description", u"edge");
        if (c.machineEnable) {
            key.writeDword(u"Enable", *c.machineEnable);
        }
        if (c.standInFlags) {
            key.writeDword(u"StandInFlags", *c.standInFlags);
        }
        if (c.userEnable) {
            RegKey::create(HKEY_CURRENT_USER, userProfileKey(edge, 0x0404, c.profile))
                .writeDword(u"Enable", *c.userEnable);
        }
        expected.push_back(tip("0404", edge, c.profile, kCatDisplayAttribute, c.flags));
    }
    // No category at all: the null GUID.
    const ustring bareProfile = u"{E0000009-0000-4000-8000-000000000000}";
    RegKey::create(HKEY_LOCAL_MACHINE, machineProfileKey(bare, 0x0404, bareProfile))
        .writeDword(u"Enable", 1);
    expected.push_back(tip("0404", bare, bareProfile, kNull, 2));

    EXPECT_EQ(enumerate(0x0404), expected);
}

TEST_F(Tsf, KeyboardLayoutsComeFromTheUserLanguageList) {
    const ScopedTree traditional(HKEY_CURRENT_USER, kUserProfile + u"\\zh-Hant-TW");
    const ScopedTree japanese(HKEY_CURRENT_USER, kUserProfile + u"\\ja-JP");
    const ScopedTree korean(HKEY_CURRENT_USER, kUserProfile + u"\\ko-KR");
    const auto tw = RegKey::create(HKEY_CURRENT_USER, kUserProfile + u"\\zh-Hant-TW");
    // Written in name order: Wine enumerates values by name, Windows in creation order.
    for (const char16_t* name : {u"0404:00000409", u"0404:0000040G", u"0404:0409", u"0404:E0080404",
                                 u"0404:{00000409}", u"CachedLanguageName"}) {
        tw.writeDword(name, 1);
    }
    RegKey::create(HKEY_CURRENT_USER, kUserProfile + u"\\ja-JP").writeDword(u"0411:00000411", 1);
    RegKey::create(HKEY_CURRENT_USER, kUserProfile + u"\\ko-KR")
        .writeDword(u"0412:" + kPinyin + kPinyinProfile, 1);

    const struct {
        LANGID langid;
        std::vector<Row> rows;
    } cases[] = {
        // An IMM handle is widened with its sign; the language's own layout is offered disabled.
        {0x0404,
         {layout("0404", 0x04090404, 2), layout("0404", 0xFFFFFFFFE0080404, 2),
          layout("0404", 0x04040404, 0)}},
        // The own layout enabled: no second, disabled one.
        {0x0411, {layout("0411", 0x04110411, 2)}},
        // A language with text services only still has its own layout, disabled.
        {0x0412, {layout("0412", 0x04120412, 0)}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(enumerate(c.langid), c.rows) << "language " << c.langid;
    }
}

TEST_F(Tsf, DescriptionsComeFromTheTextServiceRegistration) {
    const LogTail log(u"msctf.log");
    Bstr text;
    ASSERT_EQ(profiles_->GetLanguageProfileDescription(guid(kPinyin), 0x0804, guid(kPinyinProfile),
                                                       text.receive()),
              S_OK);
    EXPECT_EQ(text.text(), u"示例拼音输入法");
    EXPECT_EQ(log.lines(), (std::vector<std::string>{
                               "GetLanguageProfileDescription({6A5B2C10-3E4F-4A7B-9C1D-"
                               "2E3F4A5B6C7D}, 0804, {6A5B2C11-3E4F-4A7B-9C1D-2E3F4A5B6C7D})"}));

    const struct {
        ustring clsid;
        LANGID langid;
        ustring profile;
        HRESULT result;
    } failures[] = {
        {kNull, 0x0804, kNull, E_FAIL},                  // keyboard layouts
        {kPinyin, 0x0409, kPinyinProfile, E_INVALIDARG}, // not registered for that language
        {kPinyin, 0x0804, kWubiProfile, E_INVALIDARG},   // no such profile
    };
    for (const auto& f : failures) {
        Bstr none;
        EXPECT_EQ(profiles_->GetLanguageProfileDescription(guid(f.clsid), f.langid, guid(f.profile),
                                                           none.receive()),
                  f.result)
            << toUtf8(f.clsid) << " " << f.langid;
        EXPECT_EQ(none.get(), nullptr);
    }
    EXPECT_EQ(profiles_->GetLanguageProfileDescription(guid(kPinyin), 0x0804, guid(kPinyinProfile),
                                                       nullptr),
              E_INVALIDARG);
}

TEST_F(Tsf, EnableAndDisableStoreTheUsersChoice) {
    const ScopedTree user(HKEY_CURRENT_USER, kUserTips + kWubi);
    const GUID clsid = guid(kWubi);
    const GUID profile = guid(kWubiProfile);
    const LogTail log(u"msctf.log");

    // Activation alone is no lasting change.
    EXPECT_EQ(mgr_->ActivateProfile(kInputProcessor, 0x0804, clsid, profile, nullptr, 0), S_OK);
    EXPECT_FALSE(keyExists(HKEY_CURRENT_USER, kUserTips + kWubi));

    EXPECT_EQ(
        mgr_->ActivateProfile(kInputProcessor, 0x0804, clsid, profile, nullptr, kEnableProfile),
        S_OK);
    EXPECT_EQ(userEnable(kWubi, 0x0804, kWubiProfile), 1u);
    EXPECT_EQ(enumerate(0x0804).at(1).flags, 2u);

    for (const DWORD flags : {kForProcess, kForSession}) {
        EXPECT_EQ(mgr_->DeactivateProfile(kInputProcessor, 0x0804, clsid, profile, nullptr, flags),
                  S_OK);
        EXPECT_EQ(userEnable(kWubi, 0x0804, kWubiProfile), 1u) << flags;
    }
    EXPECT_EQ(
        mgr_->DeactivateProfile(kInputProcessor, 0x0804, clsid, profile, nullptr, kDisableProfile),
        S_OK);
    EXPECT_EQ(userEnable(kWubi, 0x0804, kWubiProfile), 0u);
    EXPECT_EQ(enumerate(0x0804).at(1).flags, 0u);

    std::vector<std::string> calls;
    for (const auto& line : log.lines()) {
        if (line.rfind("ActivateProfile(", 0) == 0 || line.rfind("DeactivateProfile(", 0) == 0) {
            calls.push_back(line);
        }
    }
    const std::string args =
        "1, 0804, {7B6C3D20-4F5A-4B8C-8D2E-3F4A5B6C7D8E}, {7B6C3D21-4F5A-4B8C-8D2E-3F4A5B6C7D8E}, "
        "0x0, ";
    EXPECT_EQ(calls, (std::vector<std::string>{
                         "ActivateProfile(" + args + "0x0)",
                         "ActivateProfile(" + args + "0x1)",
                         "DeactivateProfile(" + args + "0x10000000)",
                         "DeactivateProfile(" + args + "0x20000000)",
                         "DeactivateProfile(" + args + "0x2)",
                     }));
}

TEST_F(Tsf, UnknownProfilesAreRefused) {
    const ScopedTree user(HKEY_CURRENT_USER, kUserTips + kPinyin);
    const GUID clsid = guid(kPinyin);
    // Registered for 0804 only, and with another profile GUID.
    EXPECT_EQ(mgr_->ActivateProfile(kInputProcessor, 0x0409, clsid, guid(kPinyinProfile), nullptr,
                                    kEnableProfile),
              E_INVALIDARG);
    EXPECT_EQ(mgr_->DeactivateProfile(kInputProcessor, 0x0804, clsid, guid(kWubiProfile), nullptr,
                                      kDisableProfile),
              E_INVALIDARG);
    EXPECT_FALSE(keyExists(HKEY_CURRENT_USER, kUserTips + kPinyin));
}

TEST_F(Tsf, UnregisterRemovesTheWholeRegistration) {
    const ustring gone = u"{C0FFEE00-0000-4000-8000-0000000000AA}";
    const ustring goneProfile = u"{C0FFEE00-0000-4000-8000-0000000000AB}";
    const ScopedTree machine(HKEY_LOCAL_MACHINE, kMachineTips + gone);
    const ScopedTree user(HKEY_CURRENT_USER, kUserTips + gone);
    RegKey::create(HKEY_LOCAL_MACHINE, machineProfileKey(gone, 0x0804, goneProfile))
        .writeDword(u"Enable", 1);
    RegKey::create(HKEY_LOCAL_MACHINE, machineProfileKey(gone, 0x0409, goneProfile))
        .writeDword(u"Enable", 1);
    RegKey::create(HKEY_CURRENT_USER, userProfileKey(gone, 0x0804, goneProfile))
        .writeDword(u"Enable", 0);
    ASSERT_EQ(enumerate(0x0804).size(), 4u);

    const LogTail log(u"msctf.log");
    EXPECT_EQ(profiles_->Unregister(guid(gone)), S_OK);
    EXPECT_EQ(log.lines(),
              (std::vector<std::string>{"Unregister({C0FFEE00-0000-4000-8000-0000000000AA})"}));
    EXPECT_FALSE(keyExists(HKEY_LOCAL_MACHINE, kMachineTips + gone));
    EXPECT_FALSE(keyExists(HKEY_CURRENT_USER, kUserTips + gone));
    EXPECT_EQ(enumerate(0x0804).size(), 3u);
    EXPECT_EQ(enumerate(0x0409).size(), 1u);

    EXPECT_EQ(profiles_->Unregister(guid(gone)), E_INVALIDARG);
}

TEST_F(Tsf, EnumeratorWalksLikeACollection) {
    ComPtr<IEnumTfInputProcessorProfiles> list;
    ASSERT_EQ(mgr_->EnumProfiles(0, list.receive()), S_OK);
    const auto all = enumerate(0);
    ASSERT_EQ(all.size(), 4u);

    TF_INPUTPROCESSORPROFILE p[3]{};
    ULONG fetched = 99;
    EXPECT_EQ(list->Next(3, p, &fetched), S_OK);
    EXPECT_EQ(fetched, 3u);
    EXPECT_EQ(row(p[2]), all[2]);
    EXPECT_EQ(list->Next(3, p, &fetched), S_FALSE);
    EXPECT_EQ(fetched, 1u);
    EXPECT_EQ(row(p[0]), all[3]);
    EXPECT_EQ(list->Next(1, p, &fetched), S_FALSE);
    EXPECT_EQ(fetched, 0u);
    EXPECT_EQ(list->Next(2, p, nullptr), E_INVALIDARG);

    EXPECT_EQ(list->Reset(), S_OK);
    EXPECT_EQ(list->Skip(1), S_OK);
    ComPtr<IEnumTfInputProcessorProfiles> copy;
    ASSERT_EQ(list->Clone(copy.receive()), S_OK);
    EXPECT_EQ(list->Next(1, p, nullptr), S_OK);
    EXPECT_EQ(row(p[0]), all[1]);
    // The clone goes on from where the original was when it was cloned.
    EXPECT_EQ(copy->Next(1, p, nullptr), S_OK);
    EXPECT_EQ(row(p[0]), all[1]);
    EXPECT_EQ(copy->Skip(5), S_FALSE);
    EXPECT_EQ(copy->Next(1, p, &fetched), S_FALSE);
}

// --- PowerShell ---

const std::string kListQuery =
    "-command \"& {get-WinUserLanguageList | format-list -property languagetag,localizedname}\"";

ustring powershellPath() {
    wchar_t system[MAX_PATH];
    const UINT n = GetSystemDirectoryW(system, MAX_PATH);
    return ustring(reinterpret_cast<const char16_t*>(system), n) +
           u"\\WindowsPowerShell\\v1.0\\powershell.exe";
}

struct Captured {
    DWORD exitCode = 0xFFFFFFFF;
    std::string output;
};

// Runs a whole command line with standard output and error in a pipe, as the program's
// language query does.
Captured runCaptured(const ustring& commandLine) {
    Captured result;
    SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
    HANDLE readRaw = nullptr;
    HANDLE writeRaw = nullptr;
    if (!CreatePipe(&readRaw, &writeRaw, &inherit, 0)) {
        return result;
    }
    const Handle readEnd(readRaw);
    Handle writeEnd(writeRaw);
    SetHandleInformation(readEnd.get(), HANDLE_FLAG_INHERIT, 0);

    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = writeEnd.get();
    startup.hStdError = writeEnd.get();
    PROCESS_INFORMATION info{};
    ustring mutableLine = commandLine;
    if (!CreateProcessW(nullptr, reinterpret_cast<wchar_t*>(mutableLine.data()), nullptr, nullptr,
                        TRUE, NORMAL_PRIORITY_CLASS, nullptr, nullptr, &startup, &info)) {
        return result;
    }
    const Handle process(info.hProcess);
    const Handle thread(info.hThread);
    writeEnd = Handle();
    char buffer[2400];
    DWORD got = 0;
    while (ReadFile(readEnd.get(), buffer, sizeof(buffer), &got, nullptr) && got > 0) {
        result.output.append(buffer, got);
    }
    if (WaitForSingleObject(process.get(), 60000) == WAIT_OBJECT_0) {
        GetExitCodeProcess(process.get(), &result.exitCode);
    }
    return result;
}

// Starts "powershell.exe" with parameters the way the program's hidden commands do, and waits.
DWORD runHidden(const std::string& parameters) {
    const ustring params = fromUtf8(parameters);
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC;
    info.lpVerb = L"open";
    info.lpFile = L"powershell.exe";
    info.lpParameters = wide(params);
    info.nShow = SW_HIDE;
    if (!ShellExecuteExW(&info) || info.hProcess == nullptr) {
        return 0xFFFFFFFF;
    }
    const Handle process(info.hProcess);
    DWORD code = 0xFFFFFFFF;
    if (WaitForSingleObject(process.get(), 60000) == WAIT_OBJECT_0) {
        GetExitCodeProcess(process.get(), &code);
    }
    return code;
}

const std::string kChineseName = "\xD6\xD0\xCE\xC4(\xD6\xD0\xBB\xAA\xC8\xCB\xC3\xF1\xB9\xB2\xBA\xCD"
                                 "\xB9\xFA)"; // 中文(中华人民共和国) in code page 936
const std::string kEnglishName = "\xD3\xA2\xD3\xEF(\xC3\xC0\xB9\xFA)"; // 英语(美国)
const std::string kZhong = "\xD6\xD0";                                 // 中

std::string listEntry(const std::string& tag, const std::string& name) {
    return "LanguageTag   : " + tag + "\r\nLocalizedName : " + name + "\r\n";
}

TEST(PowerShell, LanguageListIsPrintedAsFormatListDoes) {
    const std::string expected = "\r\n\r\n" + listEntry("zh-Hans-CN", kChineseName) + "\r\n" +
                                 listEntry("en-US", kEnglishName) + "\r\n\r\n";
    // By full path, and by bare name as the program starts it.
    for (const ustring& program : {u"\"" + powershellPath() + u"\"", ustring(u"powershell.exe")}) {
        const LogTail log(u"powershell.log");
        const ustring commandLine = program + u" " + fromUtf8(kListQuery);
        const auto run = runCaptured(commandLine);
        EXPECT_EQ(run.exitCode, 0u);
        EXPECT_EQ(run.output, expected) << toUtf8(program);
        EXPECT_EQ(log.lines(), std::vector<std::string>{toUtf8(commandLine)});
    }
}

TEST(PowerShell, LongNamesWrapAtTheConsoleWidth) {
    const SavedValue languages(HKEY_CURRENT_USER, kUserProfile, u"Languages");
    const SavedValue name(HKEY_CURRENT_USER, kLocalizedNames, u"x-wrap");
    const std::string indent(16, ' ');
    auto repeat = [](const std::string& s, int n) {
        std::string out;
        for (int i = 0; i < n; ++i) {
            out += s;
        }
        return out;
    };
    auto repeatU = [](const ustring& s, int n) {
        ustring out;
        for (int i = 0; i < n; ++i) {
            out += s;
        }
        return out;
    };
    // The value column is 16, so 104 columns are left on a 120-column console.
    const struct {
        ustring localized;
        std::string printed;
    } cases[] = {
        {repeatU(u"a", 104), repeat("a", 104)},
        {repeatU(u"a", 105), repeat("a", 104) + "\r\n" + indent + "a"},
        {repeatU(u"a", 103) + u"中", repeat("a", 103) + "\r\n" + indent + kZhong},
        {repeatU(u"中", 52), repeat(kZhong, 52)},
        {repeatU(u"中", 53), repeat(kZhong, 52) + "\r\n" + indent + kZhong},
        {repeatU(u"b", 210),
         repeat("b", 104) + "\r\n" + indent + repeat("b", 104) + "\r\n" + indent + "bb"},
    };
    const ustring commandLine = u"\"" + powershellPath() + u"\" " + fromUtf8(kListQuery);
    RegKey::create(HKEY_CURRENT_USER, kUserProfile).writeMultiString(u"Languages", {u"x-wrap"});
    for (const auto& c : cases) {
        RegKey::create(HKEY_CURRENT_USER, kLocalizedNames).writeString(u"x-wrap", c.localized);
        EXPECT_EQ(runCaptured(commandLine).output,
                  "\r\n\r\n" + listEntry("x-wrap", c.printed) + "\r\n\r\n")
            << toUtf8(c.localized);
    }

    // A tag without a localized name is its own name; no languages print nothing.
    RegKey::create(HKEY_CURRENT_USER, kUserProfile)
        .writeMultiString(u"Languages", {u"x-unnamed", u"en-US"});
    EXPECT_EQ(runCaptured(commandLine).output, "\r\n\r\n" + listEntry("x-unnamed", "x-unnamed") +
                                                   "\r\n" + listEntry("en-US", kEnglishName) +
                                                   "\r\n\r\n");
    RegKey::create(HKEY_CURRENT_USER, kUserProfile).writeMultiString(u"Languages", {});
    EXPECT_EQ(runCaptured(commandLine).output, "");
}

std::optional<ustring> inputMethodOverride() {
    return RegKey::open(HKEY_CURRENT_USER, kUserProfile).readString(u"InputMethodOverride");
}

TEST(PowerShell, DefaultInputMethodOverrideIsSetAndCleared) {
    const SavedValue saved(HKEY_CURRENT_USER, kUserProfile, u"InputMethodOverride");
    const ustring textService = u"0804:" + kPinyin + kPinyinProfile;
    // As the program sends it: no closing double quote after the script block.
    const struct {
        std::string parameters;
        std::optional<ustring> stored;
    } steps[] = {
        {"-command \"& {Set-WinDefaultInputMethodOverride '" + toUtf8(textService) + "'}",
         textService},
        {"-command \"& {Set-WinDefaultInputMethodOverride '0804:E0200804'}", u"0804:E0200804"},
        {"-command \"& {Set-WinDefaultInputMethodOverride}\"", std::nullopt},
        {"-command \"& {Set-WinDefaultInputMethodOverride}\"", std::nullopt},
    };
    for (const auto& step : steps) {
        const LogTail log(u"powershell.log");
        EXPECT_EQ(runHidden(step.parameters), 0u);
        EXPECT_EQ(inputMethodOverride(), step.stored) << step.parameters;
        const auto lines = log.lines();
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_EQ(lines[0].substr(lines[0].size() - step.parameters.size() - 1),
                  " " + step.parameters);
    }
}

TEST(PowerShell, OtherCommandsAreOnlyLogged) {
    const SavedValue saved(HKEY_CURRENT_USER, kUserProfile, u"InputMethodOverride");
    RegKey::create(HKEY_CURRENT_USER, kUserProfile).writeString(u"InputMethodOverride", u"kept");
    const auto languagesBefore =
        RegKey::open(HKEY_CURRENT_USER, kUserProfile).readMultiString(u"Languages");
    for (const char* parameters : {
             "-command \"& {get-WinUserLanguageList | Set-WinUserLanguageList -Force}\"",
             "-command \"& {Set-WinLanguageBarOption -UseLegacySwitchMode -UseLegacyLanguageBar}\"",
             "-command \"& {Set-WinLanguageBarOption -UseLegacySwitchMode}\"",
             "-command \"& {Set-WinLanguageBarOption -UseLegacyLanguageBar}\"",
             "-command \"& {Set-WinLanguageBarOption}\"",
             "-command \"& {Get-Date}\"",
             "-NoProfile",
         }) {
        const LogTail log(u"powershell.log");
        const ustring commandLine = u"\"" + powershellPath() + u"\" " + fromUtf8(parameters);
        const auto run = runCaptured(commandLine);
        EXPECT_EQ(run.exitCode, 0u) << parameters;
        EXPECT_EQ(run.output, "") << parameters;
        EXPECT_EQ(log.lines(), std::vector<std::string>{toUtf8(commandLine)});
    }
    EXPECT_EQ(inputMethodOverride(), ustring(u"kept"));
    EXPECT_EQ(RegKey::open(HKEY_CURRENT_USER, kUserProfile).readMultiString(u"Languages"),
              languagesBefore);
}

} // namespace
