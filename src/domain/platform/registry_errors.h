#pragma once

#include "core/error.h"

namespace quillon::platform {

QuillonError registryTypeError(ustring_view name);
QuillonError registryReadError(ustring_view name);
QuillonError registryWriteError(ustring_view name);
QuillonError registryDeleteError(ustring_view name);

// A value's text as a message quotes it: cut short when long, so that a value of any length
// still makes a message box rather than a page.
ustring quotedData(ustring_view text);
// A value of the right type whose text is not what the reader needs: "注册表值“name”（“text”）"
// followed by `problem`.
QuillonError registryDataError(ustring_view name, ustring_view text, ustring_view problem);

} // namespace quillon::platform
