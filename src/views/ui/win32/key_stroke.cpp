#include "ui/win32/key_stroke.h"

namespace quillon::win32view {

namespace {

std::optional<Key> keyOf(WPARAM virtualKey) {
    switch (virtualKey) {
    case VK_F1:
        return Key::F1;
    case VK_F4:
        return Key::F4;
    case VK_F5:
        return Key::F5;
    case VK_RETURN:
        return Key::Enter;
    case VK_SPACE:
        return Key::Space;
    case VK_DELETE:
        return Key::Delete;
    case VK_UP:
        return Key::Up;
    case VK_DOWN:
        return Key::Down;
    case VK_TAB:
        return Key::Tab;
    case VK_ESCAPE:
        return Key::Escape;
    default:
        return std::nullopt;
    }
}

} // namespace

std::optional<KeyStroke> keyStrokeOf(const MSG& msg) {
    // The modifiers are asked only for a key that has a name: most key presses have none.
    const std::optional<Key> key = keyOf(msg.wParam);
    if (!key) {
        return std::nullopt;
    }
    return KeyStroke{*key, GetKeyState(VK_MENU) < 0, GetKeyState(VK_CONTROL) < 0,
                     GetKeyState(VK_SHIFT) < 0};
}

} // namespace quillon::win32view
