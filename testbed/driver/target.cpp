#include "target.h"

namespace qdriver {

namespace {

bool isDialogOrMenu(const ustring& cls) {
    return cls == u"#32770" || cls == u"#32768";
}

ustring withoutAmpersands(const ustring& text) {
    ustring out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'&' && i + 1 < text.size()) {
            ++i;
        }
        out += text[i];
    }
    return out;
}

// "否(&N)" is "否" to a reader: Chinese captions put the mnemonic in parentheses after the text.
ustring withoutMnemonicGroup(const ustring& text) {
    const auto open = text.find(u"(&");
    if (open == ustring::npos || open + 3 >= text.size() || text[open + 3] != u')') {
        return text;
    }
    return text.substr(0, open) + text.substr(open + 4);
}

} // namespace

ustring WindowQuery::describe() const {
    ustring out;
    if (windowClass) {
        out += u" of class " + *windowClass;
    }
    if (titlePrefix) {
        out += u" with a caption starting " + *titlePrefix;
    }
    if (pid) {
        out += u" of process " + number(*pid);
    }
    return u"window" + out;
}

ustring ControlQuery::describe() const {
    ustring out = u"control";
    if (id) {
        out += u" id " + number(*id);
    }
    if (windowClass) {
        out += u" class " + *windowClass;
    }
    if (caption) {
        out += u" caption \"" + *caption + u"\"";
    }
    if (index != 0) {
        out += u" index " + number(index);
    }
    return out;
}

HWND findWindow(const WindowQuery& query) {
    HWND hidden = nullptr;
    for (HWND hwnd : topLevelWindows()) {
        const ustring cls = className(hwnd);
        if (query.windowClass) {
            if (!quillon::equalsNoCase(cls, *query.windowClass)) {
                continue;
            }
        } else if (isDialogOrMenu(cls) || cls == u"IME" || cls == u"tooltips_class32") {
            continue;
        }
        if (query.titlePrefix && windowText(hwnd).rfind(*query.titlePrefix, 0) != 0) {
            continue;
        }
        if (query.pid && processOf(hwnd) != *query.pid) {
            continue;
        }
        if (IsWindowVisible(hwnd) != FALSE) {
            return hwnd;
        }
        // With only a process id to go by, Wine's hidden helper windows must not count.
        if (hidden == nullptr && (query.windowClass || query.titlePrefix)) {
            hidden = hwnd;
        }
    }
    return hidden;
}

HWND waitForWindow(const WindowQuery& query, DWORD timeoutMs) {
    if (query.empty()) {
        fail(u"no window given: use --window-class, --title-prefix or --pid");
    }
    HWND hwnd = poll(timeoutMs, [&] { return findWindow(query); });
    if (hwnd == nullptr) {
        fail(u"no " + query.describe() + u" appeared within " + number(timeoutMs) + u" ms");
    }
    return hwnd;
}

bool captionMatches(const ustring& text, const ustring& wanted) {
    return text == wanted || withoutAmpersands(text) == wanted ||
           withoutMnemonicGroup(text) == wanted;
}

HWND findControl(HWND top, ControlQuery query, const wchar_t* defaultClass, DWORD timeoutMs) {
    if (!query.id && !query.caption && !query.windowClass) {
        if (defaultClass == nullptr) {
            fail(u"no control given: use --id, --class [--index] or --caption");
        }
        query.windowClass = fromWide(defaultClass);
    }
    const auto matches = [&] {
        std::vector<HWND> found;
        for (HWND hwnd : descendants(top)) {
            if ((query.id && controlId(hwnd) != *query.id) ||
                (query.windowClass &&
                 !quillon::equalsNoCase(className(hwnd), *query.windowClass)) ||
                (query.caption && !captionMatches(windowText(hwnd), *query.caption))) {
                continue;
            }
            found.push_back(hwnd);
        }
        return found;
    };
    if (query.index < 0) {
        fail(u"a control index counts from 0");
    }
    const auto index = static_cast<std::size_t>(query.index);
    HWND hwnd = poll(timeoutMs, [&]() -> HWND {
        const auto found = matches();
        return index < found.size() ? found[index] : nullptr;
    });
    if (hwnd == nullptr) {
        fail(u"no " + query.describe() + u" in the window");
    }
    if (defaultClass != nullptr &&
        !quillon::equalsNoCase(className(hwnd), fromWide(defaultClass))) {
        fail(query.describe() + u" is a " + className(hwnd) + u", not a " + fromWide(defaultClass));
    }
    return hwnd;
}

} // namespace qdriver
