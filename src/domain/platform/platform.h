// Everything the logic asks of Windows, in one place. The owner (the Win32 entry or a test's
// substitute) outlives every user of these references.
#pragma once

#include "platform/registry.h"
#include "platform/registry_backend.h"
#include "platform/services.h"

namespace quillon::platform {

struct Platform {
    RegistryBackend& registry;
    Tsf& tsf;
    KeyboardLayouts& layouts;
    Processes& processes;
    System& system;
    Ui& ui;
    Files& files;
};

} // namespace quillon::platform
