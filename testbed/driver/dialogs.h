// Standard dialogs of the driven process: message boxes and the Open/Save file dialogs.
#pragma once

#include "remote.h"

#include <optional>
#include <string>
#include <vector>

namespace qdriver {

inline constexpr int kMessageBoxTextId = 0xFFFF;
inline constexpr int kFileNameComboId = 0x47C;
inline constexpr int kFileNameEditId = 0x480;

// The dialog (class "#32770") the user can currently act on: visible and enabled, so a message
// box shown over a file dialog wins over it.
HWND findActiveDialog(DWORD pid);
HWND waitForMessageBox(DWORD pid, DWORD timeoutMs);
HWND waitForFileDialog(DWORD pid, DWORD timeoutMs);
void waitNoDialog(DWORD pid, DWORD timeoutMs);

// Caption, text and buttons of a message box, one per line.
std::vector<std::string> describeMessageBox(HWND dialog);

// The dialog's push button with this id or caption.
HWND dialogButton(HWND dialog, std::optional<int> id, const std::optional<ustring>& caption);
// BM_CLICK, as the dialog manager does for a click or for Enter; returns once the program has
// handled it (or has opened something modal in turn).
void pressButton(ThreadHook& hook, HWND dialog, HWND button, DWORD timeoutMs);

// The file-name box of an Open/Save dialog (the edit inside the combo box where there is one).
HWND fileNameEdit(HWND dialog);

} // namespace qdriver
