// One language's setup as Windows holds it, read without the window: its enabled and disabled
// input methods with their hotkeys, the switching keys and toggles, the three other settings
// and the default input method, as the main window shows them.
#pragma once

#include "catalogue/input_method_entry.h"
#include "hotkeys/hotkey_as_read.h"
#include "hotkeys/key_table.h"
#include "hotkeys/switch_key_read.h"
#include "platform/platform.h"
#include "settings/other_settings_read.h"

#include <cstdint>
#include <map>
#include <memory>

namespace quillon {

struct LanguageSetup {
    std::uint16_t langid = 0;
    ustring catid; // the category the registry's rows carry (`mycatid`)

    // The TSF object of the reading, kept for the operations that follow it. `profilesCreated`
    // when TF_CreateInputProcessorProfiles succeeded, `profileManager` when the object offers
    // the profile manager too, `enumerated` when that listed the language's profiles.
    std::unique_ptr<platform::TfProfiles> profiles;
    bool profilesCreated = false;
    bool profileManager = false;
    bool enumerated = false;

    EntryList enabled;  // hotkey texts in their field
    EntryList disabled; // the profiles', then the US keyboard's and the IMM input methods' rows
    // The layouts the enumeration reported as ones text services stand in for.
    StringList substitutedLayouts;
    // The codes each hotkey was read from, by `hotkeyRowIdentity`.
    std::map<ustring, HotkeyAsRead> hotkeysRead;
    hotkeys::SwitchKeys switchKeys;
    hotkeys::Toggles toggles;
    settings::OtherSettings other;
    std::int32_t defaultIndex = -1; // the default input method's row of `enabled` (`defime`)
};

// Reads the language `setup.langid` into `setup`, as the catalogue refresh reads the shown
// language. Without an enumeration of the profiles the lists stay what `setup` holds, and the
// registry's rows are added to them; the previous TSF object is released once the new one is
// made. QuillonError when the object lacks the profile manager, or a value the reading needs
// cannot be read; what was read before it is in `setup` then.
void readLanguageSetup(platform::Platform& os, const KeyTable& keys, LanguageSetup& setup);

// The catalogue's readers.
namespace catalogue {

// A layout's name as well as it can be read: its display name, else its "Layout Text", else the
// key's own name; empty when the layout's key cannot be opened.
ustring getimename(platform::Platform& os, const ustring& hkl);
// SHLoadIndirectString; QuillonError with Windows' message when it fails.
ustring _SHLoadIndirectString(platform::System& system, const ustring& AIndirectStr);
// The US keyboard's row, added to the disabled list unless a list holds it or a text service
// stands in for it.
void addenglish(platform::Platform& os, LanguageSetup& setup);
// The installed IMM input methods of the language that no list holds, added to the disabled
// list.
void addimetolist(platform::Platform& os, LanguageSetup& setup);
// The category GUID text; empty when there is none.
ustring readcatid(platform::RegistryBackend& registry);
// The row of `enabled` that the default input method names; -1 when none.
std::int32_t getdefime(platform::RegistryBackend& registry, const EntryList& enabled);

} // namespace catalogue

} // namespace quillon
