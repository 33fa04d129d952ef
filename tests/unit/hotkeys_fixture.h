// A TForm1 on the substitute with only the key table built: the hotkey tests set the language,
// the enabled rows and the registry themselves.
#pragma once

#include "app/tform1.h"
#include "platform/substitute/reg_text.h"
#include "platform/substitute/substitute.h"

#include <gtest/gtest.h>

#include <string>

namespace quillon::testing {

inline const ustring kTipA = u"{6A5B2C10-3E4F-4A7B-9C1D-2E3F4A5B6C7D}";
inline const ustring kTipAProfile = u"{6A5B2C11-3E4F-4A7B-9C1D-2E3F4A5B6C7D}";
inline const ustring kTipB = u"{7B6C3D20-4F5A-4B8C-8D2E-3F4A5B6C7D8E}";
inline const ustring kTipBProfile = u"{7B6C3D21-4F5A-4B8C-8D2E-3F4A5B6C7D8E}";
inline const ustring kCategory = u"{34745C63-B2F0-4784-8B67-5E12C8701A31}";

inline const ustring kDirectSwitch = u"Software\\Microsoft\\CTF\\DirectSwitchHotkeys";
inline const ustring kImmHotKeys = u"Control Panel\\Input Method\\Hot Keys";

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
