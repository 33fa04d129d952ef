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

// The drop-down arrow of a split button, in its client coordinates.
POINT splitArrowPoint(const Process& process, HWND button, DWORD timeoutMs);

} // namespace qdriver
