#pragma once

#include "core/error.h"

namespace quillon::platform {

QuillonError registryTypeError(ustring_view name);
QuillonError registryReadError(ustring_view name);
QuillonError registryWriteError(ustring_view name);

} // namespace quillon::platform
