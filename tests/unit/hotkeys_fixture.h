// A TForm1 on the substitute with only the key table built: the hotkey tests set the language,
// the enabled rows and the registry themselves.
#pragma once

#include "app/tform1.h"
#include "platform/substitute/reg_text.h"
#include "platform/substitute/substitute.h"
#include "sample_ids.h"

#include <gtest/gtest.h>

#include <string>

namespace quillon::testing {

// The test bed's two text services, in their text form.
inline const ustring kTipA = guidToText(kSamplePinyinClsid);
inline const ustring kTipAProfile = guidToText(kSamplePinyinProfile);
inline const ustring kTipB = guidToText(kSampleWubiClsid);
inline const ustring kTipBProfile = guidToText(kSampleWubiProfile);
inline const ustring kCategory = guidToText(kKeyboardCat);

class HotkeyTest : public ::testing::Test {
protected:
    HotkeyTest() {
        form.BuildKeyTable();
        form.mylangid = 0x0804;
    }

    // ".reg" lines without the header.
    void reg(const std::string& body) {
        windows.loadReg("Windows Registry Editor Version 5.00\n\n" + body);
    }

    InputMethodEntry& addTextService(const ustring& clsid, const ustring& profile,
                                     const ustring& hotkey = u"", const ustring& langid = u"0804") {
        form.ListView1.rows.push_back({u"tip " + profile.substr(1, 8),
                                       {clsid, langid, kCategory, profile, u"00000000", hotkey}});
        return form.ListView1.rows.back();
    }

    InputMethodEntry& addLayout(const ustring& hkl, const ustring& hotkey = u"") {
        form.ListView1.rows.push_back(
            {u"layout " + hkl,
             {nullGuidText(), hkl.substr(4), kCategory, nullGuidText(), hkl, hotkey}});
        return form.ListView1.rows.back();
    }

    std::vector<ustring> hotkeys() const {
        std::vector<ustring> out;
        for (const auto& row : form.ListView1.rows) {
            out.push_back(row.fields[kFieldHotkey]);
        }
        return out;
    }

    std::vector<ustring> captions() const {
        return {form.Button_SW1.caption, form.Button_SW2.caption, form.Button_SW3.caption};
    }

    // The key and everything below it as regedit exports it, with plain line ends and without
    // the header; empty when the key is missing.
    std::string exported(const ustring& path) {
        if (!windows.registry.keyExists(platform::Hive::CurrentUser, path)) {
            return {};
        }
        std::string text;
        for (const char c :
             platform::saveRegText(windows.registry, platform::Hive::CurrentUser, path)) {
            if (c != '\r') {
                text.push_back(c);
            }
        }
        return text.substr(text.find("\n\n") + 2);
    }

    std::string wholeUser() const { return windows.registry.dump(platform::Hive::CurrentUser); }

    platform::Substitute windows;
    TForm1 form{windows.platform()};
};

} // namespace quillon::testing
