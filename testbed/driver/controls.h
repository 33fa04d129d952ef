// Reading and driving the standard controls of another process.
#pragma once

#include "remote.h"

#include <string>
#include <vector>

namespace qdriver {

// One line describing a window: class, id, place (x,y,width x height in client coordinates of
// `top`), visibility, enabled state, button style and check state, caption.
std::string describeWindow(HWND hwnd, HWND top, DWORD timeoutMs);
ustring buttonStyleName(HWND hwnd);

struct ListColumn {
    int width = 0;
    ustring text;
};

struct ListViewContent {
    std::vector<ListColumn> columns;
    std::vector<std::vector<ustring>> rows;
    std::vector<int> selected;
    int focused = -1;
};

ListViewContent readListView(const Process& process, HWND list, DWORD timeoutMs);
int listViewRowCount(HWND list, DWORD timeoutMs);
// The centre of the row's first-column label, in the list view's client coordinates (the row is
// scrolled into view first).
POINT listViewRowPoint(const Process& process, HWND list, int row, DWORD timeoutMs);
int listViewSelectedRow(HWND list, DWORD timeoutMs);

struct ComboContent {
    std::vector<ustring> items;
    int selected = -1;
};

ComboContent readCombo(HWND combo, DWORD timeoutMs);

// The text of a status bar's part; a simple status bar has one text, whatever `part` says.
ustring statusText(const Process& process, HWND status, int part, DWORD timeoutMs);

// One tool of a tooltip window: a hint attached to a window (a control, or the top window
// itself) or to a rectangle of a window.
struct TooltipTool {
    HWND window = nullptr; // the tool's own window (TTF_IDISHWND), or null for a rectangle
    RECT rect{};           // a rectangle tool's place, in client coordinates of `top`
    ustring text;
};

// Every tool of the tooltip windows that `top` owns.
std::vector<TooltipTool> readTooltips(const Process& process, HWND top, DWORD timeoutMs);
// The texts the tooltip windows of `top` show on the screen now.
std::vector<ustring> shownTooltips(const Process& process, HWND top, DWORD timeoutMs);

// The drop-down arrow of a split button, in its client coordinates.
POINT splitArrowPoint(const Process& process, HWND button, DWORD timeoutMs);

} // namespace qdriver
