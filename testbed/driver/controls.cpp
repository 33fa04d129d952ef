#include "controls.h"

#include "target.h"

#include <commctrl.h>

#include <algorithm>
#include <array>

namespace qdriver {

namespace {

constexpr std::size_t kFirstTextChars = 256;
constexpr std::size_t kMaxTextChars = 32768;

// Structures the other process fills in are followed by their text buffer in the same block.
constexpr std::size_t textOffset(std::size_t structSize) {
    return (structSize + 15) / 16 * 16;
}

const char* flag(bool value) {
    return value ? "1" : "0";
}

} // namespace

ustring buttonStyleName(HWND hwnd) {
    static constexpr std::array<const char16_t*, 16> names = {
        u"pushbutton",  u"defpushbutton",   u"checkbox",    u"autocheckbox",
        u"radiobutton", u"3state",          u"auto3state",  u"groupbox",
        u"userbutton",  u"autoradiobutton", u"pushbox",     u"ownerdraw",
        u"splitbutton", u"defsplitbutton",  u"commandlink", u"defcommandlink"};
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE));
    return names[style & BS_TYPEMASK];
}

std::string describeWindow(HWND hwnd, HWND top, DWORD timeoutMs) {
    const ustring cls = className(hwnd);
    RECT rect{};
    if (hwnd == top) {
        GetClientRect(hwnd, &rect);
    } else {
        GetWindowRect(hwnd, &rect);
        MapWindowPoints(nullptr, top, reinterpret_cast<POINT*>(&rect), 2);
    }
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE));
    std::string line = quillon::toUtf8(cls) + " id=" + std::to_string(controlId(hwnd)) +
                       " rect=" + std::to_string(rect.left) + "," + std::to_string(rect.top) + "," +
                       std::to_string(rect.right - rect.left) + "x" +
                       std::to_string(rect.bottom - rect.top) +
                       " visible=" + flag((style & WS_VISIBLE) != 0) +
                       " enabled=" + flag((style & WS_DISABLED) == 0);
    if (quillon::equalsNoCase(cls, u"Button")) {
        const ustring kind = buttonStyleName(hwnd);
        line += " style=" + quillon::toUtf8(kind);
        if (kind != u"groupbox") {
            line += " check=" + std::to_string(sendMessage(hwnd, BM_GETCHECK, 0, 0, timeoutMs));
        }
    }
    return line + " caption=" + quote(windowText(hwnd));
}

int listViewRowCount(HWND list, DWORD timeoutMs) {
    return static_cast<int>(sendMessage(list, LVM_GETITEMCOUNT, 0, 0, timeoutMs));
}

int listViewSelectedRow(HWND list, DWORD timeoutMs) {
    return static_cast<int>(
        sendMessage(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED, timeoutMs));
}

namespace {

ustring itemText(const Process& process, HWND list, int row, int column, DWORD timeoutMs) {
    const std::size_t offset = textOffset(sizeof(LVITEMW));
    for (std::size_t chars = kFirstTextChars;; chars *= 2) {
        const RemoteMemory memory = process.allocate(offset + chars * sizeof(wchar_t));
        LVITEMW item{};
        item.iSubItem = column;
        item.pszText = reinterpret_cast<wchar_t*>(remoteAddress(memory, offset));
        item.cchTextMax = static_cast<int>(chars);
        process.put(memory, 0, item);
        const auto length = static_cast<std::size_t>(
            std::max<LRESULT>(0, sendMessage(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row),
                                             remoteAddress(memory), timeoutMs)));
        if (length + 1 < chars || chars >= kMaxTextChars) {
            return process.text(memory, offset, std::min(length, chars - 1));
        }
    }
}

bool column(const Process& process, HWND list, int index, ListColumn& out, DWORD timeoutMs) {
    const std::size_t offset = textOffset(sizeof(LVCOLUMNW));
    const std::size_t chars = 1024;
    const RemoteMemory memory = process.allocate(offset + chars * sizeof(wchar_t));
    LVCOLUMNW col{};
    col.mask = LVCF_TEXT | LVCF_WIDTH;
    col.pszText = reinterpret_cast<wchar_t*>(remoteAddress(memory, offset));
    col.cchTextMax = static_cast<int>(chars);
    process.put(memory, 0, col);
    if (sendMessage(list, LVM_GETCOLUMNW, static_cast<WPARAM>(index), remoteAddress(memory),
                    timeoutMs) == 0) {
        return false;
    }
    col = process.get<LVCOLUMNW>(memory, 0);
    out.width = col.cx;
    out.text = process.text(memory, offset, chars - 1);
    return true;
}

} // namespace

ListViewContent readListView(const Process& process, HWND list, DWORD timeoutMs) {
    ListViewContent content;
    const auto header = reinterpret_cast<HWND>(sendMessage(list, LVM_GETHEADER, 0, 0, timeoutMs));
    const int columns =
        header != nullptr ? static_cast<int>(sendMessage(header, HDM_GETITEMCOUNT, 0, 0, timeoutMs))
                          : 256;
    for (int i = 0; i < columns; ++i) {
        ListColumn col;
        if (!column(process, list, i, col, timeoutMs)) {
            break;
        }
        content.columns.push_back(std::move(col));
    }
    const int rows = listViewRowCount(list, timeoutMs);
    const int cells = std::max<int>(1, static_cast<int>(content.columns.size()));
    for (int row = 0; row < rows; ++row) {
        std::vector<ustring> texts;
        for (int col = 0; col < cells; ++col) {
            texts.push_back(itemText(process, list, row, col, timeoutMs));
        }
        content.rows.push_back(std::move(texts));
    }
    for (LRESULT row = -1;;) {
        row =
            sendMessage(list, LVM_GETNEXTITEM, static_cast<WPARAM>(row), LVNI_SELECTED, timeoutMs);
        if (row < 0 || static_cast<int>(content.selected.size()) >= rows) {
            break;
        }
        content.selected.push_back(static_cast<int>(row));
    }
    content.focused = static_cast<int>(
        sendMessage(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED, timeoutMs));
    return content;
}

POINT listViewRowPoint(const Process& process, HWND list, int row, DWORD timeoutMs) {
    const int rows = listViewRowCount(list, timeoutMs);
    if (row < 0 || row >= rows) {
        fail(u"row " + number(row) + u" is not in the list (it has " + number(rows) + u" rows)");
    }
    sendMessage(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE, timeoutMs);
    const RemoteMemory memory = process.allocate(sizeof(RECT));
    RECT rect{};
    rect.left = LVIR_LABEL;
    process.put(memory, 0, rect);
    if (sendMessage(list, LVM_GETITEMRECT, static_cast<WPARAM>(row), remoteAddress(memory),
                    timeoutMs) == 0) {
        fail(u"the list view gives no place for row " + number(row));
    }
    rect = process.get<RECT>(memory, 0);
    return POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

ComboContent readCombo(HWND combo, DWORD timeoutMs) {
    ComboContent content;
    const LRESULT count = sendMessage(combo, CB_GETCOUNT, 0, 0, timeoutMs);
    for (LRESULT i = 0; i < count; ++i) {
        const LRESULT length =
            sendMessage(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0, timeoutMs);
        if (length < 0) {
            fail(u"the combo box gives no text for item " + number(i));
        }
        // The system carries this text across processes itself.
        std::vector<wchar_t> buffer(static_cast<std::size_t>(length) + 1, L'\0');
        sendMessage(combo, CB_GETLBTEXT, static_cast<WPARAM>(i),
                    reinterpret_cast<LPARAM>(buffer.data()), timeoutMs);
        content.items.push_back(fromWide(buffer.data()));
    }
    content.selected = static_cast<int>(sendMessage(combo, CB_GETCURSEL, 0, 0, timeoutMs));
    return content;
}

ustring statusText(const Process& process, HWND status, int part, DWORD timeoutMs) {
    // A simple status bar answers for part 0 (SB_SIMPLEID is only for setting its text).
    const bool simple = sendMessage(status, SB_ISSIMPLE, 0, 0, timeoutMs) != 0;
    const auto which = static_cast<WPARAM>(simple ? 0 : part);
    const auto length = static_cast<std::size_t>(
        LOWORD(sendMessage(status, SB_GETTEXTLENGTHW, which, 0, timeoutMs)));
    const RemoteMemory memory = process.allocate((length + 1) * sizeof(wchar_t));
    process.put(memory, 0, L'\0');
    sendMessage(status, SB_GETTEXTW, which, remoteAddress(memory), timeoutMs);
    return process.text(memory, 0, length);
}

POINT splitArrowPoint(const Process& process, HWND button, DWORD timeoutMs) {
    RECT client{};
    GetClientRect(button, &client);
    const RemoteMemory memory = process.allocate(sizeof(BUTTON_SPLITINFO));
    BUTTON_SPLITINFO info{};
    info.mask = BCSIF_SIZE | BCSIF_STYLE;
    process.put(memory, 0, info);
    LONG width = 0;
    bool alignLeft = false;
    if (sendMessage(button, BCM_GETSPLITINFO, 0, remoteAddress(memory), timeoutMs) != 0) {
        info = process.get<BUTTON_SPLITINFO>(memory, 0);
        width = info.size.cx;
        alignLeft = (info.uSplitStyle & BCSS_ALIGNLEFT) != 0;
    }
    // The arrow part is at least its glyph wide; its middle is safely inside it.
    const LONG half = std::max<LONG>(width / 2, 4);
    return POINT{alignLeft ? client.left + half : client.right - half,
                 (client.top + client.bottom) / 2};
}

} // namespace qdriver

namespace qdriver {

namespace {

constexpr std::size_t kTipChars = 4096;

std::vector<HWND> tooltipWindows(HWND top) {
    std::vector<HWND> found;
    for (HWND hwnd : topLevelWindows()) {
        if (GetWindow(hwnd, GW_OWNER) == top &&
            quillon::equalsNoCase(className(hwnd), u"tooltips_class32")) {
            found.push_back(hwnd);
        }
    }
    return found;
}

// The text of the tool whose TTTOOLINFOW lies at the start of `memory`; the text goes into the
// buffer behind it.
ustring toolText(const Process& process, HWND tooltip, const RemoteMemory& memory, TTTOOLINFOW info,
                 DWORD timeoutMs) {
    const std::size_t at = textOffset(sizeof(TTTOOLINFOW));
    info.lpszText = reinterpret_cast<wchar_t*>(remoteAddress(memory, at));
    process.put(memory, 0, info);
    process.put(memory, at, L'\0');
    sendMessage(tooltip, TTM_GETTEXTW, kTipChars, remoteAddress(memory), timeoutMs);
    return process.text(memory, at, kTipChars);
}

RemoteMemory toolMemory(const Process& process) {
    return process.allocate(textOffset(sizeof(TTTOOLINFOW)) + kTipChars * sizeof(wchar_t));
}

} // namespace

std::vector<TooltipTool> readTooltips(const Process& process, HWND top, DWORD timeoutMs) {
    std::vector<TooltipTool> tools;
    for (HWND tooltip : tooltipWindows(top)) {
        const auto count =
            static_cast<int>(sendMessage(tooltip, TTM_GETTOOLCOUNT, 0, 0, timeoutMs));
        const RemoteMemory memory = toolMemory(process);
        for (int i = 0; i < count; ++i) {
            TTTOOLINFOW info{};
            info.cbSize = sizeof(info);
            process.put(memory, 0, info);
            if (!sendMessage(tooltip, TTM_ENUMTOOLSW, static_cast<WPARAM>(i), remoteAddress(memory),
                             timeoutMs)) {
                continue;
            }
            info = process.get<TTTOOLINFOW>(memory, 0);
            TooltipTool tool;
            if (info.uFlags & TTF_IDISHWND) {
                tool.window = reinterpret_cast<HWND>(info.uId);
            } else {
                tool.rect = info.rect;
                MapWindowPoints(info.hwnd, top, reinterpret_cast<POINT*>(&tool.rect), 2);
            }
            tool.text = toolText(process, tooltip, memory, info, timeoutMs);
            tools.push_back(tool);
        }
    }
    return tools;
}

std::vector<ustring> shownTooltips(const Process& process, HWND top, DWORD timeoutMs) {
    std::vector<ustring> texts;
    for (HWND tooltip : tooltipWindows(top)) {
        if (!IsWindowVisible(tooltip)) {
            continue;
        }
        const RemoteMemory memory = toolMemory(process);
        TTTOOLINFOW info{};
        info.cbSize = sizeof(info);
        process.put(memory, 0, info);
        if (sendMessage(tooltip, TTM_GETCURRENTTOOLW, 0, remoteAddress(memory), timeoutMs)) {
            texts.push_back(
                toolText(process, tooltip, memory, process.get<TTTOOLINFOW>(memory, 0), timeoutMs));
        }
    }
    return texts;
}

} // namespace qdriver
