// The real Windows behind the platform services: the program entry owns one for the whole run.
#pragma once

#include "platform/platform.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_services.h"

namespace quillon::platform {

class Win32Platform {
public:
    Win32Platform() = default;
    Win32Platform(const Win32Platform&) = delete;
    Win32Platform& operator=(const Win32Platform&) = delete;

    // References into this object: valid while it lives.
    Platform platform() {
        return Platform{registry_, tsf_,      layouts_, processes_,  system_,
                        dialogs_,  messages_, hotkeys_, processEnd_, files_};
    }
    Win32Dialogs& dialogs() { return dialogs_; }
    // The main window, once it exists: it owns the boxes that ask for it and the hotkey probe.
    void setMainWindow(void* window) {
        dialogs_.setMainWindow(window);
        hotkeys_.setMainWindow(window);
    }

private:
    Win32Registry registry_;
    Win32Tsf tsf_;
    Win32KeyboardLayouts layouts_;
    Win32Processes processes_;
    Win32System system_;
    Win32Dialogs dialogs_;
    Win32MessageLoop messages_;
    Win32Hotkeys hotkeys_;
    Win32ProcessEnd processEnd_;
    Win32Files files_;
};

} // namespace quillon::platform
