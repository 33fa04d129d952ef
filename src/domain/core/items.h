// Splitting a value into items, as the command line and the configuration file do.
#pragma once

#include "core/text.h"

namespace quillon {

// Loose mode: characters up to U+0020 before the first item are skipped; an item is a run of
// characters above U+0020, and any run of characters up to U+0020 separates two items.
StringList splitLoose(ustring_view text);

// Strict mode: every single `separator` ends an item and nothing else does; nothing is
// skipped, so two separators in a row give an empty item and a separator at the very end an
// empty last item. An empty text gives no item at all.
StringList splitStrict(ustring_view text, char16_t separator);

// In both modes an item that begins with a double quote runs to the next double quote that is
// not doubled ("" inside stands for one "; without a closing quote the item runs to the end),
// and the quotes are removed. Text right after the closing quote starts the next item.

} // namespace quillon
