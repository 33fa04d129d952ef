#include "dialogs.h"

#include "target.h"

namespace qdriver {

namespace {

HWND visibleDescendant(HWND dialog, int id) {
    for (HWND hwnd : descendants(dialog)) {
        if (controlId(hwnd) == id && IsWindowVisible(hwnd) != FALSE) {
            return hwnd;
        }
    }
    return nullptr;
}

bool isMessageBox(HWND dialog) {
    return GetDlgItem(dialog, kMessageBoxTextId) != nullptr;
}

bool isFileDialog(HWND dialog) {
    return visibleDescendant(dialog, kFileNameComboId) != nullptr ||
           visibleDescendant(dialog, kFileNameEditId) != nullptr;
}

HWND waitForDialog(DWORD pid, bool (*kind)(HWND), const ustring& what, DWORD timeoutMs) {
    HWND dialog = poll(timeoutMs, [&]() -> HWND {
        HWND active = findActiveDialog(pid);
        return active != nullptr && kind(active) ? active : nullptr;
    });
    if (dialog == nullptr) {
        fail(u"no " + what + u" opened within " + number(timeoutMs) + u" ms");
    }
    return dialog;
}

bool isPushButton(HWND hwnd) {
    if (!quillon::equalsNoCase(className(hwnd), u"Button")) {
        return false;
    }
    const auto type = static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE)) & BS_TYPEMASK;
    return type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON;
}

} // namespace

HWND findActiveDialog(DWORD pid) {
    for (HWND dialog : visibleWindowsOf(pid, L"#32770")) {
        if (IsWindowEnabled(dialog) != FALSE) {
            return dialog;
        }
    }
    return nullptr;
}

HWND waitForMessageBox(DWORD pid, DWORD timeoutMs) {
    return waitForDialog(pid, isMessageBox, u"message box", timeoutMs);
}

HWND waitForFileDialog(DWORD pid, DWORD timeoutMs) {
    return waitForDialog(pid, isFileDialog, u"file dialog", timeoutMs);
}

void waitNoDialog(DWORD pid, DWORD timeoutMs) {
    if (!poll(timeoutMs, [&] { return visibleWindowsOf(pid, L"#32770").empty(); })) {
        fail(u"a dialog is still open after " + number(timeoutMs) + u" ms");
    }
}

std::vector<std::string> describeMessageBox(HWND dialog) {
    std::vector<std::string> lines;
    lines.push_back("caption " + quote(windowText(dialog)));
    lines.push_back("text " + quote(windowText(GetDlgItem(dialog, kMessageBoxTextId))));
    for (HWND hwnd : descendants(dialog)) {
        if (isPushButton(hwnd) && IsWindowVisible(hwnd) != FALSE) {
            lines.push_back("button id=" + std::to_string(controlId(hwnd)) + " " +
                            quote(windowText(hwnd)));
        }
    }
    return lines;
}

HWND dialogButton(HWND dialog, std::optional<int> id, const std::optional<ustring>& caption) {
    for (HWND hwnd : descendants(dialog)) {
        if (isPushButton(hwnd) && IsWindowVisible(hwnd) != FALSE &&
            (!id || controlId(hwnd) == *id) &&
            (!caption || captionMatches(windowText(hwnd), *caption))) {
            return hwnd;
        }
    }
    fail(u"the dialog has no such button");
}

void pressButton(ThreadHook& hook, HWND dialog, HWND button, DWORD timeoutMs) {
    requireUsable(button, u"the button \"" + windowText(button) + u"\"");
    // The marker goes to the owner: the dialog and its button are gone once the press ends it.
    HWND owner = GetWindow(dialog, GW_OWNER);
    postMessage(button, BM_CLICK, 0, 0);
    hook.sync(owner != nullptr ? owner : dialog, timeoutMs);
}

HWND fileNameEdit(HWND dialog) {
    HWND box = visibleDescendant(dialog, kFileNameComboId);
    if (box == nullptr) {
        box = visibleDescendant(dialog, kFileNameEditId);
    }
    if (box == nullptr) {
        fail(u"the file dialog has no file-name box");
    }
    if (!quillon::equalsNoCase(className(box), u"Edit")) {
        for (HWND hwnd : descendants(box)) {
            if (quillon::equalsNoCase(className(hwnd), u"Edit")) {
                return hwnd;
            }
        }
    }
    return box;
}

} // namespace qdriver
