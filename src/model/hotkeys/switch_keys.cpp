// The general switching hotkeys: the keys that cycle layouts and languages, the Caps Lock
// release key, and the IME toggles of the language shown.
#include "app/tform1.h"
#include "backups/backups.h"
#include "core/error.h"
#include "hotkeys/switch_key_read.h"
#include "hotkeys/switch_key_rules.h"
#include "operations/registry_snapshot.h"
#include "platform/windows_keys.h"

#include <array>
#include <optional>
#include <string>

namespace quillon {

namespace {

const ustring kToggle = keys::fromRoot(keys::kToggle);

ustring digitText(int itemIndex) {
    return fromUtf8(std::to_string(itemIndex + 1));
}

void giveWay(const ComboBox& changed, ComboBox& other) {
    other.itemIndex = giveWayTo(changed.itemIndex, other.itemIndex);
}

void writeSwitchKeys(TForm1& form) {
    platform::TRegistry reg(form.os().registry);
    reg.OpenKey(kToggle, false);
    // Without the key the first write fails, before anything is written or announced.
    // The three values together or none: Windows reads the two keys as one choice. A box
    // showing no item (a value Windows has no item for) keeps its value as it stands: there
    // is no digit to write for it.
    RegistryCheckpoint checkpoint(form.os().registry, platform::Hive::CurrentUser);
    checkpoint.keep(kToggle);
    try {
        if (form.ComboBox1.itemIndex >= 0) {
            reg.WriteString(u"Layout Hotkey", digitText(form.ComboBox1.itemIndex));
        }
        if (form.ComboBox2.itemIndex >= 0) {
            const ustring language = digitText(form.ComboBox2.itemIndex);
            reg.WriteString(u"Language Hotkey", language);
            reg.WriteString(u"Hotkey", language);
        }
    } catch (const QuillonError& e) {
        throw QuillonError(rolledBackMessage(e.message(), checkpoint.restore()));
    }
    form.os().system.SystemParametersInfo(platform::kSpiSetLangToggle, 0,
                                          platform::kSpifSendWinIniChange);
}

} // namespace

void TForm1::getswitchkey() {
    hotkeys::SwitchKeys shown{ComboBox1.itemIndex, ComboBox2.itemIndex, ComboBox3.itemIndex};
    const auto show = [&] {
        ComboBox1.itemIndex = shown.layout;
        ComboBox2.itemIndex = shown.language;
        ComboBox3.itemIndex = shown.capsLock;
    };
    try {
        hotkeys::readSwitchKeys(os().registry, shown);
    } catch (...) {
        show();
        throw;
    }
    show();
}

void TForm1::ComboBox1Change() {
    backups::beforeChange(*this, u"切换键盘布局的热键");
    giveWay(ComboBox1, ComboBox2);
    writeSwitchKeys(*this);
}

void TForm1::ComboBox2Change() {
    backups::beforeChange(*this, u"切换输入语言的热键");
    giveWay(ComboBox2, ComboBox1);
    writeSwitchKeys(*this);
}

void TForm1::getSWkey() {
    const std::array<Control*, 3> buttons = {&Button_SW1, &Button_SW2, &Button_SW3};
    hotkeys::Toggles shown;
    shown.count = 0;
    while (shown.count < 3 && buttons[static_cast<std::size_t>(shown.count)]->enabled) {
        ++shown.count;
    }
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        shown.texts[i] = buttons[i]->caption;
    }
    shown.read = togglesRead;
    const auto show = [&] {
        for (std::size_t i = 0; i < buttons.size(); ++i) {
            buttons[i]->enabled = static_cast<int>(i) < shown.count;
            buttons[i]->caption = shown.texts[i];
        }
        togglesRead = shown.read;
    };
    try {
        hotkeys::readToggles(os().registry, LangId(), scancode, shown);
    } catch (...) {
        show();
        throw;
    }
    show();
}

} // namespace quillon
