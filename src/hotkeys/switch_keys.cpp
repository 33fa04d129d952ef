// The general switching hotkeys: the keys that cycle layouts and languages, the Caps Lock
// release key, and the IME toggles of the language shown.
#include "app/tform1.h"
#include "core/error.h"
#include "hotkeys/hotkey_registry.h"

#include <array>
#include <limits>
#include <string>

namespace quillon {

namespace {

const char16_t* const kToggle = u"\\Keyboard Layout\\Toggle";
const char16_t* const kKeyboardLayout = u"\\Keyboard Layout";

// Combo items, item index = registry digit - 1.
constexpr int kAltShift = 0;
constexpr int kCtrlShift = 1;
constexpr int kGraveAccent = 3;

// A signed 32-bit whole number: optional blanks, an optional sign, then decimal digits, or
// hexadecimal digits after "$", "x", "X", "0x" or "0X"; nothing may follow.
std::int32_t wholeNumber(const ustring& text) {
    const auto fail = [&]() {
        return QuillonError(u"'" + text + u"' is not a valid integer value for Integer type");
    };
    std::size_t i = 0;
    while (i < text.size() && text[i] == u' ') {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    std::uint32_t base = 10;
    if (i < text.size() && (text[i] == u'$' || text[i] == u'x' || text[i] == u'X')) {
        base = 16;
        ++i;
    } else if (i + 1 < text.size() && text[i] == u'0' &&
               (text[i + 1] == u'x' || text[i + 1] == u'X')) {
        base = 16;
        i += 2;
    }
    if (i == text.size()) {
        throw fail();
    }
    std::uint64_t value = 0;
    for (; i < text.size(); ++i) {
        const char16_t c = text[i];
        std::uint32_t digit = 0;
        if (c >= u'0' && c <= u'9') {
            digit = static_cast<std::uint32_t>(c - u'0');
        } else if (base == 16 && c >= u'a' && c <= u'f') {
            digit = static_cast<std::uint32_t>(c - u'a' + 10);
        } else if (base == 16 && c >= u'A' && c <= u'F') {
            digit = static_cast<std::uint32_t>(c - u'A' + 10);
        } else {
            throw fail();
        }
        value = value * base + digit;
        if (value > 0x100000000ull) {
            throw fail();
        }
    }
    // Hexadecimal digits may fill all 32 bits, the way a register dump writes a negative
    // number; decimal digits must fit the signed range.
    std::int64_t result = 0;
    if (base == 16) {
        if (value > 0xFFFFFFFFull) {
            throw fail();
        }
        result = static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
    } else {
        result = static_cast<std::int64_t>(value);
    }
    if (negative) {
        result = -result;
    }
    if (result < std::numeric_limits<std::int32_t>::min() ||
        result > std::numeric_limits<std::int32_t>::max()) {
        throw fail();
    }
    return static_cast<std::int32_t>(result);
}

int itemFromDigit(std::int32_t digit) {
    return digit >= 1 && digit <= 4 ? digit - 1 : -1;
}

ustring digitText(int itemIndex) {
    return fromUtf8(std::to_string(itemIndex + 1));
}

// The changed box now shows what the other one shows: the other one gives way, except that
// both may be disabled.
void giveWay(const ComboBox& changed, ComboBox& other) {
    if (changed.itemIndex != other.itemIndex) {
        return;
    }
    if (changed.itemIndex == kAltShift) {
        other.itemIndex = kCtrlShift;
    } else if (changed.itemIndex == kCtrlShift || changed.itemIndex == kGraveAccent) {
        other.itemIndex = kAltShift;
    }
}

void writeSwitchKeys(TForm1& form) {
    platform::TRegistry reg(form.os().registry);
    reg.OpenKey(kToggle, false);
    // Without the key the first write fails, before anything is written or announced.
    const ustring language = digitText(form.ComboBox2.itemIndex);
    reg.WriteString(u"Layout Hotkey", digitText(form.ComboBox1.itemIndex));
    reg.WriteString(u"Language Hotkey", language);
    reg.WriteString(u"Hotkey", language);
    form.os().system.SystemParametersInfo(platform::kSpiSetLangToggle, 0,
                                          platform::kSpifSendWinIniChange);
}

} // namespace

void TForm1::getswitchkey() {
    platform::TRegistry reg(os().registry);
    std::int32_t layoutDigit = 2;
    std::int32_t languageDigit = 1;
    if (reg.OpenKey(kToggle, false)) {
        if (reg.ValueExists(u"Layout Hotkey")) {
            layoutDigit = wholeNumber(reg.ReadString(u"Layout Hotkey"));
        }
        if (reg.ValueExists(u"Language Hotkey")) {
            languageDigit = wholeNumber(reg.ReadString(u"Language Hotkey"));
        }
    }
    ComboBox1.itemIndex = itemFromDigit(layoutDigit);
    ComboBox2.itemIndex = itemFromDigit(languageDigit);

    platform::TRegistry layout(os().registry);
    const bool shiftReleases = layout.OpenKey(kKeyboardLayout, false) &&
                               layout.ValueExists(u"Attributes") &&
                               layout.ReadInteger(u"Attributes") != 0;
    ComboBox3.itemIndex = shiftReleases ? 1 : 0;
}

void TForm1::ComboBox1Change() {
    giveWay(ComboBox1, ComboBox2);
    writeSwitchKeys(*this);
}

void TForm1::ComboBox2Change() {
    giveWay(ComboBox2, ComboBox1);
    writeSwitchKeys(*this);
}

void TForm1::getSWkey() {
    const std::array<Control*, 3> buttons = {&Button_SW1, &Button_SW2, &Button_SW3};
    const auto group = hotkeys::toggleGroup(LangId());
    const int count = group ? group->count : 0;
    togglesRead = {};
    for (int i = 0; i < 3; ++i) {
        Control& button = *buttons[static_cast<std::size_t>(i)];
        button.enabled = i < count;
        if (i >= count) {
            button.caption.clear();
        }
    }
    platform::TRegistry reg(os().registry);
    for (int i = 0; i < count; ++i) {
        Control& button = *buttons[static_cast<std::size_t>(i)];
        const ustring path =
            ustring(hotkeys::kImmHotKeys) + u"\\" + hotkeys::toggleSubkey(*group, i);
        if (!reg.KeyExists(path) || !reg.OpenKey(path, false)) {
            button.caption.clear();
            continue;
        }
        HotkeyAsRead read;
        read.source = HotkeyAsRead::Source::ImmEntry;
        read.modifiers = hotkeys::readBinary32(reg, u"Key Modifiers").value_or(0);
        read.virtualKey = hotkeys::readBinary32(reg, u"Virtual Key").value_or(0);
        codetokey(hexText(read.modifiers, 8), hexText(read.virtualKey, 8), button.caption);
        togglesRead[static_cast<std::size_t>(i)] = std::move(read);
    }
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        if (buttons[i]->caption.empty()) {
            buttons[i]->caption = u"无";
        }
        if (togglesRead[i]) {
            togglesRead[i]->text = buttons[i]->caption;
        }
    }
}

// The hotkey dialog opens from here once it exists.
void TForm1::Button_SW1Click(int) {}

} // namespace quillon
